// LightWave object decoding from memory: byte-wise tag scan, point and
// polygon chunk readers. Coordinates in model units times `scale`.
#include "assets/lwo_decoder.h"

#include <cstdlib>
#include <cstring>

namespace {

// The tags as big-endian reads of "PNTS" and "POLS", and of the IFF header's
// "FORM" and "LWOB".
constexpr uint32_t kPointsTag = 0x504E5453;
constexpr uint32_t kPolygonsTag = 0x504F4C53;
constexpr uint32_t kFormTag = 0x464F524D;
constexpr uint32_t kObjectTag = 0x4C574F42;

uint32_t read_u32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The float whose IEEE-754 bits are `bits` (std::bit_cast, which not every
// standard library we build with has yet).
float float_from_bits(uint32_t bits) {
    static_assert(sizeof(float) == sizeof(uint32_t));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t read_u16(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}

// Offset of the first 4-byte window equal to `tag`, or -1. The window at the
// last four bytes of the file is not looked at.
int64_t find_tag(const uint8_t* data, size_t size, uint32_t tag) {
    const int64_t last = static_cast<int64_t>(size) - 5;
    for (int64_t offset = 0; offset <= last; ++offset)
        if (read_u32(data + offset) == tag) return offset;
    return -1;
}

// calloc that never returns null for a zero count, so an empty chunk still
// gives valid (if unused) arrays.
template <typename T> T* allocate(size_t count) {
    return static_cast<T*>(std::calloc(count > 0 ? count : 1, sizeof(T)));
}

// Finds the chunk after `tag_offset`; checks that its length field and the
// whole records of its data (`record_size` bytes each; a remainder is never
// read) lie inside the buffer.
bool chunk_bounds(size_t size, int64_t tag_offset, const uint8_t* data, uint32_t record_size,
                  LwoResult& r, uint32_t& length) {
    const int64_t data_start = tag_offset + 8;
    r.chunk_offset = data_start;
    if (data_start > static_cast<int64_t>(size)) {
        r.chunk_length = -1; // the length field itself is cut off
        r.error = LwoError::truncated_chunk;
        return false;
    }
    length = read_u32(data + tag_offset + 4);
    const int64_t used = int64_t{length / record_size} * record_size;
    if (data_start + used > static_cast<int64_t>(size)) {
        r.chunk_length = length;
        r.error = LwoError::truncated_chunk;
        return false;
    }
    return true;
}

bool read_points(const uint8_t* chunk, uint32_t length, double scale, LwoResult& r) {
    Object& o = r.object;
    const uint32_t n = length / 12;
    o.vertex_count = static_cast<int32_t>(n);
    r.point_count = o.vertex_count;
    o.model_vertices = allocate<Vec3>(n);
    o.view_vertices = allocate<Vec3>(n);
    o.vertex_normals = allocate<Vec3>(n);
    if (!o.model_vertices || !o.view_vertices || !o.vertex_normals) {
        r.error = LwoError::out_of_memory;
        return false;
    }
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* p = chunk + 12 * size_t{i};
        const double x = float_from_bits(read_u32(p));
        const double y = float_from_bits(read_u32(p + 4));
        const double z = float_from_bits(read_u32(p + 8));
        o.model_vertices[i] = {x * scale, -(y * scale), -(z * scale)};
    }
    return true;
}

bool read_polygons(const uint8_t* chunk, uint32_t length, LwoResult& r) {
    Object& o = r.object;
    const uint32_t n = length / 10;
    o.face_count = static_cast<int32_t>(n);
    o.faces = allocate<Face>(n);
    o.screen_faces = allocate<ScreenFace>(n);
    Material* material = allocate<Material>(1);
    if (!o.faces || !o.screen_faces || !material) {
        std::free(material);
        r.error = LwoError::out_of_memory;
        return false;
    }
    material->light_scale = 400;
    material->fill_kind = FillKind::depth_tested;
    o.light_offset = -50;
    o.mapping_mode = MappingMode::from_normals;
    // Every face points at the material, so free_object finds it through
    // faces[0]; an empty chunk keeps it in the one spare face slot.
    if (n == 0) o.faces[0].material = material;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* p = chunk + 10 * size_t{i};
        Face& face = o.faces[i];
        face.material = material;
        const uint32_t corners = read_u16(p);
        if (corners != 3) {
            r.error = LwoError::not_a_triangle;
            r.face = static_cast<int32_t>(i);
            r.value = static_cast<int32_t>(corners);
            return false;
        }
        for (int c = 0; c < 3; ++c) {
            const uint32_t index = read_u16(p + 2 + 2 * c);
            if (index >= static_cast<uint32_t>(o.vertex_count)) {
                r.error = LwoError::bad_vertex_index;
                r.face = static_cast<int32_t>(i);
                r.value = static_cast<int32_t>(index);
                return false;
            }
            face.vertex_index[c] = static_cast<int32_t>(index);
        }
        // p + 8: the surface number, not used.
    }
    return true;
}

} // namespace

void free_object(Object& object) {
    if (object.faces != nullptr) std::free(object.faces[0].material);
    std::free(object.faces);
    std::free(object.screen_faces);
    std::free(object.model_vertices);
    std::free(object.view_vertices);
    std::free(object.vertex_normals);
    std::free(object.vertex_face_start);
    std::free(object.vertex_faces);
    object = Object{};
}

LwoResult decode_lwo(const uint8_t* data, size_t size, double scale, bool with_polygons) {
    LwoResult r;
    if (size < 12 || read_u32(data) != kFormTag || read_u32(data + 8) != kObjectTag) {
        r.error = LwoError::not_lightwave;
        return r;
    }
    const uint32_t tags[2] = {kPointsTag, kPolygonsTag};
    const int pass_count = with_polygons ? 2 : 1;
    for (int pass = 0; pass < pass_count; ++pass) {
        r.passes = pass + 1;
        const int64_t offset = find_tag(data, size, tags[pass]);
        if (offset < 0 && pass == 0) {
            r.error = LwoError::no_points;
            break;
        }
        if (offset < 0) continue;
        r.found[pass] = true;
        uint32_t length = 0;
        if (!chunk_bounds(size, offset, data, pass == 0 ? 12 : 10, r, length)) break;
        const uint8_t* chunk = data + offset + 8;
        if (pass == 0) {
            if (!read_points(chunk, length, scale, r)) break;
        } else {
            if (!read_polygons(chunk, length, r)) break;
        }
    }
    // An object drawn as a surface without a single polygon would simply be
    // missing from the picture.
    if (r.error == LwoError::none && with_polygons && r.object.face_count == 0)
        r.error = LwoError::no_polygons;
    if (r.error != LwoError::none)
        free_object(r.object);
    else if (r.object.face_count > 0)
        index_vertex_faces(r.object); // without it the normals scan every face
    return r;
}
