// The viewer's signs laid out (show/sign_drawing.h): on every picture size
// from the smallest window to a 4K screen each sign stays inside the
// picture, apart from the others; a caption fades out at its time; the
// font reads the signs' UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "show/sign_drawing.h"
#include "show/sign_font.h"

TEST(SignDrawing, StaysInsideThePictureAtEverySizeAndFades) {
    const PictureRect pictures[] = {
        {0, 0, 320, 240}, {160, 152, 960, 720}, {133, 0, 1333, 1000}, {0, 0, 2880, 2160}};
    const ViewerSigns all{true, "getting to 3:27: 64 %", "order 27 \u00b7 scene 7 \u00b7 3:27.36",
                          10000};
    for (const PictureRect& p : pictures) {
        SCOPED_TRACE(std::to_string(p.w) + " x " + std::to_string(p.h));
        const std::vector<SignRect> rects = sign_rects(all, p, 0);
        std::vector<SignRect> boxes; // the first rectangle of each sign is its box
        for (const SignRect& r : rects) {
            EXPECT_TRUE(r.x >= p.x && r.y >= p.y && r.x + r.w <= p.x + p.w &&
                        r.y + r.h <= p.y + p.h);
            if (r.r == 16) boxes.push_back(r);
        }
        ASSERT_EQ(boxes.size(), 3u);
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t k = i + 1; k < boxes.size(); ++k) {
                const SignRect &a = boxes[i], &b = boxes[k];
                EXPECT_TRUE(a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y ||
                            b.y + b.h <= a.y)
                    << "signs " << i << " and " << k << " overlap";
            }
        // Words grow with the picture: a font pixel is picture height / 240.
        EXPECT_EQ(rects.back().h, std::max(1, p.h / 240));
    }
    // The caption: whole until its last 400 ms, half at 200 ms left, then gone.
    const ViewerSigns caption{false, "", "looping on", 10000};
    struct Case {
        int64_t now_ms;
        int text_alpha; // -1: no caption
    };
    for (const Case& c : {Case{0, 255}, Case{9600, 255}, Case{9800, 128}, Case{10000, -1}}) {
        const std::vector<SignRect> rects = sign_rects(caption, pictures[1], c.now_ms);
        EXPECT_EQ(rects.empty() ? -1 : rects.back().a, c.text_alpha) << c.now_ms;
    }
}

TEST(SignFont, ReadsUtf8) {
    EXPECT_EQ(code_points("a \u00b7 \u23f8"), U"a \u00b7 \u23f8");
    EXPECT_EQ(code_points("x\xc2"), U"x\ufffd");              // cut short
    EXPECT_EQ(code_points("\xe2\x28\xa1"), U"\ufffd(\ufffd"); // not a continuation
    // What the font lacks is a hollow box, capitals are small letters.
    EXPECT_EQ(sign_glyph(U'#').rows[0], 0x1F);
    EXPECT_EQ(&sign_glyph(U'P'), &sign_glyph(U'p'));
}
