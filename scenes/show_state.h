// Everything the show carries from one frame to the next, as a value: each
// scene's state, the metaballs, the depth buffer and its bias, the shared
// rand's position, the sync state and the tick counter.
//
//   save_show_state()        a copy of it now
//   restore_show_state(s)    puts it back: the next frames are the frames
//                            that followed when it was saved
//
// The pictures the scenes loaded at set-up and the objects' loaded points are
// shared, not copied: they never change after set-up, and a saved state is
// only good while they stay loaded (until the scenes' release). What the
// scenes change in their objects is copied (ObjectArrays). Saved right after
// set-up, a state restarts the show as if it had just started.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/rand.h"
#include "core/sync.h"
#include "metaball/metaball.h"
#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "scenes/scene2.h"
#include "scenes/scene3.h"
#include "scenes/scene4.h"
#include "scenes/scene5.h"
#include "scenes/scene6.h"
#include "scenes/scene7.h"

// An object's arrays that the scenes change as they draw: the faces (scene 5
// slides their picture coordinates), the turned vertices, the normals and
// the screen corners.
struct ObjectArrays {
    std::vector<Face> faces;
    std::vector<Vec3> view_vertices, vertex_normals;
    std::vector<ScreenFace> screen_faces;
};

struct ShowState {
    Scene0 s0;
    Scene1 s1;
    Scene2 s2;
    Scene3 s3;
    Scene4 s4;
    Scene5 s5;
    Scene6 s6;
    Scene7 s7;
    std::shared_ptr<const Metaballs> balls;      // 220 kB: shared by copies of a state
    ObjectArrays ring, mesh, cloud, solid, grid; // scene 1's two, scenes 3, 4 and 5's
    std::vector<uint32_t> depth; // the depth buffer's entries; empty when none is allocated
    int32_t depth_bias = 0;
    vorn::RandStream rand{1};
    SyncSnapshot sync{};
    int32_t tick = 0;
};

ShowState save_show_state();
void restore_show_state(const ShowState& s);

// The state as set-up leaves it, kept in one place for a player's seeks and
// loops (see StartState in show/show.h).
void remember_start_state();
void restore_start_state();
