// A tiny XM module builder for tests of the sync reader and the player:
// patterns of cells, an order table, and optionally one looping instrument.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct XmCell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct XmTestModule {
    int channels = 4;
    int speed = 6;
    int bpm = 125;
    std::vector<uint8_t> orders;
    std::vector<std::vector<std::vector<XmCell>>> patterns; // [pattern][row][channel]
    bool with_instrument = false;

    XmCell& cell(int pattern, int row, int channel) {
        return patterns[static_cast<size_t>(pattern)][static_cast<size_t>(row)]
                       [static_cast<size_t>(channel)];
    }
    int add_pattern(int rows) {
        patterns.push_back(std::vector<std::vector<XmCell>>(
            static_cast<size_t>(rows), std::vector<XmCell>(static_cast<size_t>(channels))));
        return static_cast<int>(patterns.size()) - 1;
    }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> b;
        auto put = [&](const void* p, size_t n) {
            const auto* c = static_cast<const uint8_t*>(p);
            b.insert(b.end(), c, c + n);
        };
        auto u8 = [&](int v) { b.push_back(static_cast<uint8_t>(v)); };
        auto u16 = [&](int v) { u8(v & 0xff), u8((v >> 8) & 0xff); };
        auto u32 = [&](uint32_t v) {
            u16(static_cast<int>(v & 0xffff)), u16(static_cast<int>(v >> 16));
        };
        auto text = [&](const char* s, size_t n) {
            std::string t(s);
            t.resize(n, ' ');
            put(t.data(), n);
        };
        text("Extended Module: ", 17);
        text("test", 20);
        u8(0x1a);
        text("vorn tests", 20);
        u16(0x0104);
        u32(276);
        u16(static_cast<int>(orders.size()));
        u16(0);
        u16(channels);
        u16(static_cast<int>(patterns.size()));
        u16(with_instrument ? 1 : 0);
        u16(1); // linear frequencies
        u16(speed);
        u16(bpm);
        std::vector<uint8_t> order_table(256, 0);
        std::copy(orders.begin(), orders.end(), order_table.begin());
        put(order_table.data(), 256);
        for (const auto& pattern : patterns) {
            std::vector<uint8_t> data;
            for (const auto& row : pattern) {
                for (const XmCell& c : row) {
                    const uint8_t f[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
                    bool all = true;
                    for (uint8_t v : f)
                        all = all && v != 0;
                    if (all && c.note < 0x80) {
                        data.insert(data.end(), f, f + 5); // unpacked cell
                        continue;
                    }
                    uint8_t head = 0x80;
                    for (int i = 0; i < 5; ++i)
                        if (f[i]) head |= static_cast<uint8_t>(1 << i);
                    data.push_back(head);
                    for (int i = 0; i < 5; ++i)
                        if (f[i]) data.push_back(f[i]);
                }
            }
            u32(9);
            u8(0);
            u16(static_cast<int>(pattern.size()));
            u16(static_cast<int>(data.size()));
            put(data.data(), data.size());
        }
        if (with_instrument) {
            const size_t start = b.size();
            u32(263);
            text("saw", 22);
            u8(0);
            u16(1);
            u32(40);
            b.insert(b.end(), 96, 0); // every note plays sample 0
            b.insert(b.end(), 96, 0); // no envelopes
            b.insert(b.end(), 16, 0);
            u16(0); // fadeout
            b.resize(start + 263, 0);
            const int length = 64;
            u32(length);
            u32(0);
            u32(length); // loop the whole sample
            u8(48);      // volume
            u8(0);       // finetune
            u8(1);       // forward loop, 8-bit
            u8(128);     // panning
            u8(0);       // relative note
            u8(0);
            text("saw", 22);
            int8_t prev = 0;
            for (int i = 0; i < length; ++i) {
                int8_t s = static_cast<int8_t>(i * 4 - 128);
                u8(static_cast<uint8_t>(static_cast<int8_t>(s - prev)));
                prev = s;
            }
        }
        return b;
    }
};
