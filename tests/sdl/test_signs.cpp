// The viewer's signs on SDL's offscreen driver, read back from the
// renderer: each sign shows where it belongs over the picture, and neither
// present() nor redraw() puts anything into the frame the scenes read back
// (what recordings and saved frames take).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/clock.h"
#include "sdl/display_sdl.h"
#include "sdl/frame_layout.h"

TEST(SdlSigns, ShowOverThePictureAndNeverInTheFrame) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    DisplaySettings settings;
    settings.vsync = false;
    SdlDisplay d(settings);
    try {
        d.open("Vorn", false);
    } catch (const DisplayError& e) {
        GTEST_SKIP() << "SDL's offscreen driver cannot open a window: " << e.what();
    }
    constexpr uint32_t kGrey = 0x808080;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(d.renderer(), &w, &h);
    const FrameRect pic = frame_layout(w, h, false);
    // How many pixels of the picture's top-left, middle and bottom-left
    // quarter-wide strips are not the frame's grey: "1" where some are.
    const auto changed = [&] {
        std::vector<uint32_t> px(static_cast<size_t>(w) * h);
        SDL_RenderReadPixels(d.renderer(), nullptr, SDL_PIXELFORMAT_RGB888, px.data(), w * 4);
        std::string where;
        for (int band : {0, 1, 2}) {
            const int x0 = band == 1 ? pic.x + pic.w / 4 : pic.x;
            const int y0 = pic.y + band * pic.h / 3;
            int n = 0;
            for (int y = y0; y < y0 + pic.h / 3; ++y)
                for (int x = x0; x < x0 + pic.w / 2; ++x)
                    n += (px[static_cast<size_t>(y) * w + x] & 0xffffff) != kGrey;
            where += n > 0 ? '1' : '0';
        }
        return where;
    };
    const auto frame_is = [&](uint32_t colour) {
        const uint32_t* f = d.lock();
        for (int i = 0; i < 320 * 240; ++i)
            if (f[i] != colour) return false;
        return true;
    };
    const int64_t later = clock_ms() + 60000;
    struct Case {
        const char* name;
        ViewerSigns signs;
        const char* expected; // top-left, middle, bottom-left
    };
    const Case cases[] = {
        {"none", {}, "000"},
        {"paused", {true, "", "", 0}, "100"},
        {"a jump on its way", {false, "getting to 3:27: 64 %", "", 0}, "010"},
        {"a caption", {false, "", "order 12 \u00b7 scene 3 \u00b7 1:31.20", later}, "001"},
        {"a caption whose time is over", {false, "", "looping on", clock_ms() - 1}, "000"},
        {"all at once", {true, "getting to 0:01: 0 %", "looping off", later}, "111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill_n(d.lock(), 320 * 240, kGrey);
        d.show_signs(c.signs);
        d.present();
        EXPECT_EQ(changed(), c.expected);
        EXPECT_TRUE(frame_is(kGrey));
        // A redraw shows the picture last presented, not the frame buffer
        // (which a jump on its way fills with frames not to be seen).
        std::fill_n(d.lock(), 320 * 240, 0x00ff0000u);
        d.redraw();
        EXPECT_EQ(changed(), c.expected);
        EXPECT_TRUE(frame_is(0x00ff0000u));
    }
    d.destroy();
}
