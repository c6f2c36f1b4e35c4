// Every operation of the vector layer (core/pixels4.h) over many inputs, the
// edges of each range among them, digested into one pinned value per
// operation. The test runs twice: in test_core on the SSE2 path and in
// test_frames_plain on the plain path, so each instruction and its plain twin
// must give the same lanes bit for bit.
#include <gtest/gtest.h>

#include <cstring>

#include "core/pixels4.h"

using namespace px4;

namespace {

constexpr int kRounds = 4096;

// A 32-bit stream with the edges (0, 1, 0x7FFF, 0x8000, 0xFFFF, all ones,
// ...) mixed into every fourth value.
struct Inputs {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        static const uint32_t kEdges[] = {0u,          1u,          0x7FFFu,     0x8000u,
                                          0xFFFFu,     0x10000u,    0x00FF00FFu, 0x7FFFFFFFu,
                                          0x80000000u, 0xFFFFFFFFu, 0x01010101u, 0xFEFEFEFEu};
        if (state % 4 == 0) return kEdges[(state >> 8) % std::size(kEdges)];
        return state;
    }
    Pixels4 pixels() { return gather(next(), next(), next(), next()); }
    Channels8 channels() {
        uint16_t v[8];
        for (uint16_t& x : v)
            x = static_cast<uint16_t>(next());
        return load16(v);
    }
    // Doubles across many magnitudes, both signs, some exact integers.
    double number() {
        const uint32_t r = next();
        const double m = static_cast<double>(r % 100000) / 7.0 - 5000.0;
        return r % 3 == 0 ? m * 1e-6 : r % 3 == 1 ? m * 1e6 : static_cast<double>(r % 1000);
    }
    Doubles2 doubles2() { return doubles(number(), number()); }
};

// Folds lanes into a running digest.
struct Digest {
    uint64_t h = 1469598103934665603ull;
    void add(uint64_t v) {
        for (int i = 0; i < 8; ++i, v >>= 8)
            h = (h ^ (v & 0xFF)) * 1099511628211ull;
    }
    void add(Pixels4 p) {
        uint32_t out[4];
        to_array(p, out);
        for (uint32_t v : out)
            add(v);
    }
    void add(Channels8 c) {
        add(interleave_low(c, splat16(0)));
        add(interleave_high(c, splat16(0)));
    }
    // A double's lanes reach scalar code only as floats: each lane, and what
    // rounding to float left over scaled up, carry about 48 bits of it.
    void add(Doubles2 d) {
        const Doubles2 rest = (d - round_to_float(d)) * splat_double(536870912.0); // 2^29
        for (int n = 0; n < 2; ++n)
            for (const float f : {float_lane(d, n), float_lane(rest, n)}) {
                uint32_t bits;
                std::memcpy(&bits, &f, sizeof bits);
                add(bits);
            }
    }
};

using Run = void (*)(Inputs& in, Digest& d);

struct Op {
    const char* name;
    Run run;
    uint64_t pinned;
};

const Op kOps[] = {
    {"load, store, lane",
     [](Inputs& in, Digest& d) {
         uint32_t a[4] = {in.next(), in.next(), in.next(), in.next()}, b[4];
         store(b, load(a));
         d.add(lane(load(b), static_cast<int>(in.next() % 4)));
     },
     0xd6822aad3272e81full},
    {"splat, lanes",
     [](Inputs& in, Digest& d) {
         d.add(splat(in.next()));
         d.add(lanes(in.next(), in.next()));
     },
     0x29074db1536d2fd0ull},
    {"low64, high64",
     [](Inputs& in, Digest& d) {
         const Pixels4 p = in.pixels();
         d.add(low64(p));
         d.add(high64(p));
     },
     0x112054a26b0d023eull},
    {"add_bytes", [](Inputs& in, Digest& d) { d.add(add_bytes(in.pixels(), in.pixels())); },
     0x869be31155f59d9eull},
    {"add_bytes_saturate",
     [](Inputs& in, Digest& d) { d.add(add_bytes_saturate(in.pixels(), in.pixels())); },
     0x424fce38bf9db327ull},
    {"add32, &, |, ^",
     [](Inputs& in, Digest& d) {
         const Pixels4 a = in.pixels(), b = in.pixels();
         d.add(add32(a, b));
         d.add(a & b);
         d.add(a | b);
         d.add(a ^ b);
     },
     0x41dd5f53229251fbull},
    {"shift_right32",
     [](Inputs& in, Digest& d) {
         const Pixels4 a = in.pixels();
         d.add(shift_right32<1>(a));
         d.add(shift_right32<8>(a));
         d.add(shift_right32<31>(a));
     },
     0x8cddd9ea5a2d4c6cull},
    {"is_zero, select",
     [](Inputs& in, Digest& d) {
         const Pixels4 a = in.pixels() & splat(in.next() % 2 ? 0xFFu : 0u);
         d.add(select(is_zero(a), in.pixels(), in.pixels()));
     },
     0x1f1a983f18757385ull},
    {"16-bit halves of Pixels4",
     [](Inputs& in, Digest& d) {
         const Pixels4 a = in.pixels(), b = in.pixels();
         d.add(mul16_high(a, b));
         d.add(mul16_low(a, b));
         d.add(shift_left16<3>(a));
         d.add(shift_right16<5>(a));
     },
     0xce831e46fb650c29ull},
    {"Channels8 arithmetic",
     [](Inputs& in, Digest& d) {
         const Channels8 a = in.channels(), b = in.channels();
         d.add(a + b);
         d.add(a - b);
         d.add(a * b);
         d.add(mul16_high(a, b));
         d.add(a & b);
         d.add(shift_right16<7>(a));
         d.add(shift_left16<9>(a));
         d.add(is_below(a, b));
     },
     0xf1557ac4741f06f1ull},
    {"interleave",
     [](Inputs& in, Digest& d) {
         const Channels8 a = in.channels(), b = in.channels();
         d.add(interleave_low(a, b));
         d.add(interleave_high(a, b));
     },
     0xc908074481165357ull},
    {"Doubles2 arithmetic",
     [](Inputs& in, Digest& d) {
         const Doubles2 a = in.doubles2(), b = in.doubles2();
         d.add(a + b);
         d.add(a - b);
         d.add(a * b);
         d.add(a / b);
         d.add(square_root(a * a));
         d.add(splat_double(in.number()));
     },
     0x9904090acda72b93ull},
    {"round_to_float",
     [](Inputs& in, Digest& d) {
         const Doubles2 a = in.doubles2() / splat_double(3.0);
         d.add(round_to_float(a) - a);
     },
     0x8d35034dd883bb7cull},
};

} // namespace

TEST(Pixels4, EveryOperationGivesItsPinnedLanesOnThisPath) {
    for (const Op& op : kOps) {
        Inputs in{0x9E3779B9u};
        Digest d;
        for (int i = 0; i < kRounds; ++i)
            op.run(in, d);
        EXPECT_EQ(d.h, op.pinned) << op.name << ": 0x" << std::hex << d.h;
    }
}
