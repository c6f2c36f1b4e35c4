// PCX reading for previews (see pcx_reader.h).
#include "common/pcx_reader.h"

#include <fstream>
#include <iterator>

RgbImage read_pcx(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    RgbImage img;
    if (b.size() < 128 + 769 || b[1] != 5 || b[3] != 8 || b[b.size() - 769] != 0x0C) return img;
    auto le16 = [&](size_t at) { return int(b[at] | b[at + 1] << 8); };
    int w = le16(8) - le16(4) + 1, h = le16(10) - le16(6) + 1, bpl = le16(66);
    if (w <= 0 || h <= 0 || bpl < w) return img;
    const uint8_t* pal = &b[b.size() - 768];
    img.w = w;
    img.h = h;
    img.px.assign(size_t(w) * size_t(h), 0);
    size_t pos = 128, end = b.size() - 769;
    int x = 0, y = 0;
    while (y < h && pos < end) {
        uint8_t c = b[pos++];
        int run = 1;
        if ((c & 0xC0) == 0xC0 && pos < end) {
            run = c & 0x3F;
            c = b[pos++];
        }
        for (int i = 0; i < run && y < h; ++i) {
            if (x < w)
                img.px[size_t(y) * size_t(w) + size_t(x)] =
                    uint32_t(pal[c * 3]) << 16 | uint32_t(pal[c * 3 + 1]) << 8 | pal[c * 3 + 2];
            if (++x == bpl) {
                x = 0;
                ++y;
            }
        }
    }
    return img;
}
