// A plain LZ77 coder (see byte_pack.h).
#include "core/byte_pack.h"

#include <cassert>
#include <cstring>

namespace {

constexpr int kHashBits = 15;
constexpr size_t kMinMatch = 4;

uint32_t read32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t hash4(uint32_t v) {
    return (v * 2654435761u) >> (32 - kHashBits);
}

void put_varint(std::vector<uint8_t>& out, size_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<uint8_t>(v));
}

bool get_varint(std::span<const uint8_t> in, size_t& at, size_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= in.size()) return false;
        const uint8_t b = in[at++];
        v |= static_cast<size_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return true;
    }
    return false;
}

} // namespace

void pack_bytes(std::span<const uint8_t> in, std::vector<uint8_t>& out) {
    out.clear();
    put_varint(out, in.size());
    std::vector<uint32_t> table(size_t{1} << kHashBits, 0); // position + 1; 0: none
    const size_t n = in.size();
    const uint8_t* p = in.data();
    size_t anchor = 0, i = 0;
    const auto emit = [&](size_t match, size_t distance) {
        put_varint(out, i - anchor);
        out.insert(out.end(), p + anchor, p + i);
        put_varint(out, match);
        if (match) put_varint(out, distance);
    };
    while (i + kMinMatch <= n) {
        const uint32_t h = hash4(read32(p + i));
        const size_t candidate = table[h];
        table[h] = static_cast<uint32_t>(i + 1);
        if (candidate == 0 || read32(p + candidate - 1) != read32(p + i)) {
            i += 1 + ((i - anchor) >> 6); // further apart the longer nothing repeats
            continue;
        }
        const size_t from = candidate - 1;
        size_t len = kMinMatch;
        while (i + len < n && p[from + len] == p[i + len])
            ++len;
        emit(len, i - from);
        i += len;
        anchor = i;
    }
    i = n;
    emit(0, 0);
}

bool unpack_bytes(std::span<const uint8_t> packed, std::span<uint8_t> out) {
    size_t at = 0, length = 0, w = 0;
    if (!get_varint(packed, at, length) || length != out.size()) return false;
    for (;;) {
        size_t literals = 0, match = 0, distance = 0;
        if (!get_varint(packed, at, literals) || literals > packed.size() - at ||
            literals > out.size() - w)
            return false;
        if (literals) std::memcpy(out.data() + w, packed.data() + at, literals);
        at += literals;
        w += literals;
        if (!get_varint(packed, at, match)) return false;
        if (match == 0) return w == out.size() && at == packed.size();
        if (!get_varint(packed, at, distance) || distance == 0 || distance > w ||
            match > out.size() - w)
            return false;
        // Byte by byte: a match may overlap what it copies (a run).
        for (size_t k = 0; k < match; ++k, ++w)
            out[w] = out[w - distance];
    }
}

void byte_lanes(std::span<const uint8_t> words, std::span<uint8_t> out) {
    assert(words.size() % 4 == 0 && out.size() == words.size());
    const size_t n = words.size() / 4;
    for (size_t i = 0; i < n; ++i)
        for (size_t lane = 0; lane < 4; ++lane)
            out[lane * n + i] = words[i * 4 + lane];
}

void from_byte_lanes(std::span<const uint8_t> lanes, std::span<uint8_t> out) {
    assert(lanes.size() % 4 == 0 && out.size() == lanes.size());
    const size_t n = lanes.size() / 4;
    for (size_t i = 0; i < n; ++i)
        for (size_t lane = 0; lane < 4; ++lane)
            out[i * 4 + lane] = lanes[lane * n + i];
}
