// The flash check and the gentle filter over made-up frame sequences with a
// known answer: how many flashes fall in a second, over how large an area,
// of what colour; and the gentle filter keeps each of them to the rules
// while leaving the sequences that keep to them untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/screen.h"
#include "safety/flash_check.h"
#include "safety/gentle_filter.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000;
constexpr uint32_t kGrey = 0x7F7F7F; // about as bright as pure red (0.21)

// Frame n of a sequence at 60 frames a second, as a picture.
using Sequence = std::function<std::vector<uint32_t>(int n)>;

// `inside` in a w x h box at (x, y) (-1: the frame's centre), `outside`
// around it.
std::vector<uint32_t> boxed(uint32_t outside, uint32_t inside, int w, int h, int x = -1,
                            int y = -1) {
    if (x < 0) x = (kFrameWidth - w) / 2;
    if (y < 0) y = (kFrameHeight - h) / 2;
    std::vector<uint32_t> f(kFramePixels, outside);
    for (int row = y; row < y + h; ++row)
        std::fill_n(f.begin() + row * kFrameWidth + x, w, inside);
    return f;
}

// One-frame flashes of `on` over `off` at the frames listed.
Sequence flashes_at(std::vector<int> at, uint32_t off, uint32_t on, int w = kFrameWidth,
                    int h = kFrameHeight) {
    return [=](int n) {
        const bool lit = std::find(at.begin(), at.end(), n) != at.end();
        return boxed(off, lit ? on : off, w, h);
    };
}

// `a` and `b` taking turns every `frames` frames.
Sequence alternating(uint32_t a, uint32_t b, int frames, int w = kFrameWidth,
                     int h = kFrameHeight) {
    return [=](int n) { return boxed(kBlack, (n / frames) % 2 ? b : a, w, h); };
}

// Four one-frame flashes of `on` over black in the bottom right 53 x 40.
Sequence corner_flashes(uint32_t on) {
    return [=](int n) {
        const bool lit = n == 10 || n == 25 || n == 40 || n == 55;
        return boxed(kBlack, lit ? on : kBlack, 53, 40, kFrameWidth - 53, kFrameHeight - 40);
    };
}

int64_t time_us(int n, int fps) {
    return int64_t{n} * 1000000 / fps;
}

// The failing seconds as "second:general/red" words, e.g. "0:8/0 1:8/0".
std::string failing(const FlashCheck& check) {
    std::string text;
    for (const FailingSecond& s : check.failing()) {
        if (!text.empty()) text += ' ';
        text += std::to_string(s.second);
        text += ':';
        text += std::to_string(s.general);
        text += '/';
        text += std::to_string(s.red);
    }
    return text;
}

struct Case {
    const char* what;
    Sequence frames;
    int count; // frames, at 60 a second
    const char* failing;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"three flashes in a second", flashes_at({10, 25, 40}, kBlack, kWhite), 120, ""},
        {"four flashes in a second", flashes_at({10, 25, 40, 55}, kBlack, kWhite), 120,
         "0:8/0 1:8/0"},
        {"a small area flashing ten times a second", alternating(kBlack, kWhite, 3, 10, 10), 120,
         ""},
        {"a large area flashing ten times a second", alternating(kBlack, kWhite, 3, 60, 45), 120,
         "0:19/0 1:20/0"},
        // Just over and just under a swing of 0.1, on exactly the last area
        // in the bottom right corner.
        {"four flashes of 0.102 over the bottom right quarter field", corner_flashes(0x5A5A5A), 120,
         "0:8/0 1:8/0"},
        {"four flashes of 0.0999 there", corner_flashes(0x595959), 120, ""},
        {"saturated red against grey as bright, four times a second", alternating(kGrey, kRed, 8),
         120, "0:0/7 1:0/8"},
        {"swings that stay bright", alternating(0xEEEEEE, kWhite, 2), 120, ""},
        {"a slow fade up and down",
         [](int n) {
             const int level = n < 60 ? n * 4 : (120 - n) * 4;
             return boxed(kBlack, static_cast<uint32_t>(level * 0x010101), kFrameWidth,
                          kFrameHeight);
         },
         120, ""},
    };
    return all;
}

} // namespace

TEST(FlashRules, MeasuresOfKnownColours) {
    const struct {
        uint32_t pixel;
        int luminance, red;
    } known[] = {
        {kBlack, 0, 0},         {kWhite, 65535, 0},       {kRed, 13933, 65535}, {kGrey, 13909, 0},
        {0x00FF00, 46871, 0},   {0xFF4000, 16336, 62175}, // red is 95% of the light: saturated
        {0xFF9000, 27005, 0},                             // 78%: not
        {0x80FFFFFF, 65535, 0},                           // the top byte is not shown
    };
    for (const auto& k : known) {
        const Measures m = measure(k.pixel);
        EXPECT_EQ(m.luminance, k.luminance) << std::hex << k.pixel;
        EXPECT_EQ(m.red, k.red) << std::hex << k.pixel;
    }
}

TEST(FlashCheck, CountsFlashesPerSecondOverAQuarterField) {
    for (const Case& c : cases()) {
        FlashCheck check;
        for (int n = 0; n < c.count; ++n)
            check.frame(c.frames(n).data(), time_us(n, 60), 3);
        EXPECT_EQ(failing(check), c.failing) << c.what;
        EXPECT_EQ(check.seconds(), 2) << c.what;
    }
}

// Shown gently, at the recording's rate and at a display's 144 a second,
// every sequence keeps to the rules; one that keeps to them anyway is shown
// exactly as drawn, frame for frame.
TEST(GentleFilter, KeepsEverySequenceToTheRulesAndLeavesTheGoodOnesExact) {
    for (const int fps : {60, 144})
        for (const Case& c : cases()) {
            GentleFilter gentle;
            FlashCheck check;
            const int count = c.count * fps / 60;
            for (int n = 0; n < count; ++n) {
                const std::vector<uint32_t> drawn = c.frames(n * 60 / fps);
                const std::vector<uint32_t> copy = drawn;
                const uint32_t* shown = gentle.filter(drawn.data(), time_us(n, fps));
                ASSERT_EQ(drawn, copy);
                check.frame(shown, time_us(n, fps));
            }
            EXPECT_EQ(failing(check), "") << c.what << " at " << fps;
            if (!*c.failing) {
                EXPECT_EQ(gentle.exact_frames(), count) << c.what << " at " << fps;
            } else {
                EXPECT_LT(gentle.exact_frames(), count) << c.what << " at " << fps;
            }
        }
}
