// The show's carried state as a value (see show_state.h).
#include "scenes/show_state.h"

#include <algorithm>
#include <cassert>

#include "core/screen.h"
#include "render/depth.h"

namespace {

template <class T> std::vector<T> copy_of(const T* items, int32_t count) {
    return items ? std::vector<T>(items, items + count) : std::vector<T>{};
}
template <class T> void copy_back(const std::vector<T>& saved, T* items) {
    if (items) std::copy(saved.begin(), saved.end(), items);
}

ObjectArrays arrays_of(const Object& o) {
    return {copy_of(o.faces, o.face_count), copy_of(o.view_vertices, o.vertex_count),
            copy_of(o.vertex_normals, o.vertex_count), copy_of(o.screen_faces, o.face_count)};
}

void put_back(const ObjectArrays& a, Object& o) {
    copy_back(a.faces, o.faces);
    copy_back(a.view_vertices, o.view_vertices);
    copy_back(a.vertex_normals, o.vertex_normals);
    copy_back(a.screen_faces, o.screen_faces);
}

} // namespace

ShowState save_show_state() {
    ShowState s;
    s.s0 = scene0, s.s1 = scene1, s.s2 = scene2, s.s3 = scene3;
    s.s4 = scene4, s.s5 = scene5, s.s6 = scene6, s.s7 = scene7;
    s.balls = std::make_shared<const Metaballs>(metaballs);
    s.ring = arrays_of(scene1.ring), s.mesh = arrays_of(scene1.mesh);
    s.cloud = arrays_of(scene3.object), s.solid = arrays_of(scene4.object);
    s.grid = arrays_of(scene5.grid);
    if (depth_buffer) s.depth.assign(depth_buffer, depth_buffer + kFramePixels);
    s.depth_bias = depth_bias;
    s.rand = vorn::rand_take();
    for (int i = 0; i <= kSyncFlagCount; ++i)
        s.sync.bytes[i] = sync_state.bytes[i].load(std::memory_order_relaxed);
    s.tick = tick_counter;
    return s;
}

void restore_show_state(const ShowState& s) {
    scene0 = s.s0;
    scene1 = s.s1;
    scene2 = s.s2;
    scene3 = s.s3;
    scene4 = s.s4;
    scene5 = s.s5;
    scene6 = s.s6;
    scene7 = s.s7;
    assert(s.balls);
    metaballs = *s.balls;
    put_back(s.ring, scene1.ring), put_back(s.mesh, scene1.mesh);
    put_back(s.cloud, scene3.object), put_back(s.solid, scene4.object);
    put_back(s.grid, scene5.grid);
    // The buffer itself stays where the scene allocated it.
    if (depth_buffer && !s.depth.empty()) std::copy(s.depth.begin(), s.depth.end(), depth_buffer);
    depth_bias = s.depth_bias;
    vorn::srand(s.rand.state());
    sync_restore(s.sync);
    tick_counter = s.tick;
}

namespace {
ShowState start_state;
}

void remember_start_state() {
    start_state = save_show_state();
}

void restore_start_state() {
    restore_show_state(start_state);
}
