// LWOB encoding (see lwob_writer.h). All numbers big-endian.
#include "common/lwob_writer.h"

#include <cstring>

namespace {

void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(uint8_t(v >> s));
}
void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void tag(std::vector<uint8_t>& b, const char* t) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(t[i]));
}
// A name, zero-terminated and padded to an even length.
void name(std::vector<uint8_t>& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    if (b.size() & 1) b.push_back(0);
}
void chunk(std::vector<uint8_t>& out, const char* t, const std::vector<uint8_t>& body) {
    tag(out, t);
    put32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
}

} // namespace

std::vector<uint8_t> encode_lwob(const Mesh& mesh) {
    std::vector<uint8_t> pnts, srfs, pols, surf;
    for (const Vec3f& p : mesh.points)
        for (float f : {p.x, p.y, p.z}) {
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            put32(pnts, bits);
        }
    name(srfs, mesh.surface);
    for (const auto& t : mesh.triangles) {
        put16(pols, 3);
        for (uint16_t i : t)
            put16(pols, i);
        put16(pols, 1);
    }
    if (mesh.triangles.empty())
        for (size_t i = 0; i < mesh.points.size(); ++i) {
            put16(pols, 1);
            put16(pols, uint16_t(i));
            put16(pols, 1);
        }
    name(surf, mesh.surface);
    tag(surf, "COLR");
    put16(surf, 4);
    surf.insert(surf.end(), {mesh.colour[0], mesh.colour[1], mesh.colour[2], 0});

    std::vector<uint8_t> form;
    tag(form, "LWOB");
    chunk(form, "PNTS", pnts);
    chunk(form, "SRFS", srfs);
    chunk(form, "POLS", pols);
    chunk(form, "SURF", surf);
    std::vector<uint8_t> out;
    tag(out, "FORM");
    put32(out, uint32_t(form.size()));
    out.insert(out.end(), form.begin(), form.end());
    return out;
}
