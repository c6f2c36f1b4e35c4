// Median-cut colour reduction with k-means refinement and optional
// Floyd-Steinberg dithering (see quantize.h). Colours are 8-bit per channel.
#include "common/quantize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

struct Entry {
    uint32_t rgb; // 0x00RRGGBB
    uint32_t count;
};

int ch(uint32_t rgb, int c) {
    return int((rgb >> (16 - 8 * c)) & 255);
}

struct Box {
    size_t begin, end; // range in the entry list
    double error;      // weighted squared error about the mean
    int axis;          // channel of largest spread
};

void measure(const std::vector<Entry>& e, Box& b) {
    double n = 0, s[3] = {0, 0, 0}, ss[3] = {0, 0, 0};
    for (size_t i = b.begin; i < b.end; ++i)
        for (int c = 0; c < 3; ++c) {
            double v = ch(e[i].rgb, c);
            s[c] += v * e[i].count;
            ss[c] += v * v * e[i].count;
        }
    for (size_t i = b.begin; i < b.end; ++i)
        n += e[i].count;
    b.error = 0;
    double best = -1;
    b.axis = 0;
    for (int c = 0; c < 3; ++c) {
        double var = ss[c] - s[c] * s[c] / n;
        b.error += var;
        // Green weighs most, blue least, as the eye does.
        static const double weight[3] = {1.0, 1.2, 0.8};
        if (var * weight[c] > best) {
            best = var * weight[c];
            b.axis = c;
        }
    }
    if (b.end - b.begin < 2) b.error = 0;
}

// Split a box along its axis where the summed squared error of the two
// halves (along that axis) is smallest.
size_t best_split(std::vector<Entry>& e, const Box& b) {
    int axis = b.axis;
    std::stable_sort(e.begin() + long(b.begin), e.begin() + long(b.end),
                     [axis](const Entry& x, const Entry& y) {
                         int a = ch(x.rgb, axis), c = ch(y.rgb, axis);
                         return a != c ? a < c : x.rgb < y.rgb;
                     });
    double tn = 0, ts = 0, tss = 0;
    for (size_t i = b.begin; i < b.end; ++i) {
        double v = ch(e[i].rgb, axis);
        tn += e[i].count;
        ts += v * e[i].count;
        tss += v * v * e[i].count;
    }
    double ln = 0, ls = 0, lss = 0, best = std::numeric_limits<double>::max();
    size_t at = b.begin + 1;
    for (size_t i = b.begin; i + 1 < b.end; ++i) {
        double v = ch(e[i].rgb, axis);
        ln += e[i].count;
        ls += v * e[i].count;
        lss += v * v * e[i].count;
        if (ch(e[i + 1].rgb, axis) == int(v)) continue;
        double rn = tn - ln, rs = ts - ls, rss = tss - lss;
        double err = (lss - ls * ls / ln) + (rss - rs * rs / rn);
        if (err < best) {
            best = err;
            at = i + 1;
        }
    }
    return at;
}

// Entries 1..255 of the palette; entry 0 is kept for pure black.
constexpr size_t kMaxColours = 255;
// k-means passes over the median cut's colours.
constexpr int kRefinePasses = 6;
// How much a difference in red, green and blue counts when a pixel looks
// for its nearest colour: green most, blue least, as the eye sees.
constexpr float kEyeWeight[3] = {1.0f, 1.2f, 0.8f};

uint32_t pack(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// The distinct non-black colours of the picture with their pixel counts,
// in increasing 0xRRGGBB order.
std::vector<Entry> histogram(const std::vector<uint8_t>& rgb, size_t n) {
    std::vector<uint32_t> keys;
    keys.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t k = pack(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]);
        if (k) keys.push_back(k);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<Entry> entries;
    for (size_t i = 0; i < keys.size();) {
        size_t j = i;
        while (j < keys.size() && keys[j] == keys[i])
            ++j;
        entries.push_back({keys[i], uint32_t(j - i)});
        i = j;
    }
    return entries;
}

// Median cut: the box of largest error is split at its best point until
// there are kMaxColours boxes or none has any error left. Reorders the
// entries so that each box is a range of them.
std::vector<Box> median_cut(std::vector<Entry>& entries) {
    std::vector<Box> boxes{{0, entries.size(), 0, 0}};
    measure(entries, boxes[0]);
    while (boxes.size() < kMaxColours) {
        size_t pick = boxes.size();
        double worst = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].error > worst) {
                worst = boxes[i].error;
                pick = i;
            }
        if (pick == boxes.size()) break;
        Box b = boxes[pick];
        size_t at = best_split(entries, b);
        Box lo{b.begin, at, 0, 0}, hi{at, b.end, 0, 0};
        measure(entries, lo);
        measure(entries, hi);
        boxes[pick] = lo;
        boxes.push_back(hi);
    }
    return boxes;
}

// The mean colour of each box, weighted by pixel count: r, g, b floats.
std::vector<float> box_means(const std::vector<Entry>& entries, const std::vector<Box>& boxes) {
    std::vector<float> pal;
    for (const Box& b : boxes) {
        double s[3] = {0, 0, 0}, cnt = 0;
        for (size_t i = b.begin; i < b.end; ++i) {
            for (int k = 0; k < 3; ++k)
                s[k] += double(ch(entries[i].rgb, k)) * entries[i].count;
            cnt += entries[i].count;
        }
        for (int k = 0; k < 3; ++k)
            pal.push_back(float(s[k] / cnt));
    }
    return pal;
}

// k-means refinement over the distinct colours: each colour goes to its
// nearest palette colour, which moves to the mean of those it was given.
void refine(const std::vector<Entry>& entries, std::vector<float>& pal) {
    size_t m = pal.size() / 3;
    for (int iter = 0; iter < kRefinePasses; ++iter) {
        std::vector<double> sum(m * 3, 0.0), cnt(m, 0.0);
        for (size_t i = 0; i < entries.size(); ++i) {
            float r = float(ch(entries[i].rgb, 0)), g = float(ch(entries[i].rgb, 1)),
                  b = float(ch(entries[i].rgb, 2));
            float best = std::numeric_limits<float>::max();
            uint32_t bi = 0;
            for (size_t p = 0; p < m; ++p) {
                float dr = r - pal[p * 3], dg = g - pal[p * 3 + 1], db = b - pal[p * 3 + 2];
                float d = dr * dr + dg * dg + db * db;
                if (d < best) {
                    best = d;
                    bi = uint32_t(p);
                }
            }
            sum[bi * 3] += double(r) * entries[i].count;
            sum[bi * 3 + 1] += double(g) * entries[i].count;
            sum[bi * 3 + 2] += double(b) * entries[i].count;
            cnt[bi] += entries[i].count;
        }
        for (size_t p = 0; p < m; ++p)
            if (cnt[p] > 0)
                for (int k = 0; k < 3; ++k)
                    pal[p * 3 + size_t(k)] = float(sum[p * 3 + size_t(k)] / cnt[p]);
    }
}

// Brightness in thousandths of a step: the luma weights of Rec. 601.
int brightness(uint32_t k) {
    return 299 * ch(k, 0) + 587 * ch(k, 1) + 114 * ch(k, 2);
}

// The palette's entries from 1 on: the colours rounded to 8 bits, sorted by
// brightness, duplicates dropped, none black (one that rounds to black gets
// a 1 in one of its channels). Returns how many entries were filled.
size_t fill_palette(const std::vector<float>& pal, std::array<uint8_t, 768>& palette) {
    size_t m = pal.size() / 3;
    std::vector<uint32_t> cols;
    for (size_t p = 0; p < m; ++p) {
        int r = int(std::lround(pal[p * 3])), g = int(std::lround(pal[p * 3 + 1])),
            b = int(std::lround(pal[p * 3 + 2]));
        if (!(r | g | b)) {
            int* mx = &r;
            if (pal[p * 3 + 1] > *mx) mx = &g;
            if (pal[p * 3 + 2] > pal[p * 3 + 1] && pal[p * 3 + 2] > pal[p * 3]) mx = &b;
            *mx = 1;
        }
        cols.push_back(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
    }
    std::sort(cols.begin(), cols.end(), [](uint32_t a, uint32_t b) {
        return brightness(a) != brightness(b) ? brightness(a) < brightness(b) : a < b;
    });
    cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
    for (size_t p = 0; p < cols.size(); ++p)
        for (int k = 0; k < 3; ++k)
            palette[(p + 1) * 3 + size_t(k)] = uint8_t(ch(cols[p], k));
    return cols.size();
}

// The entry of 1..used closest to (r, g, b), by the eye's weights.
uint8_t nearest(const std::array<uint8_t, 768>& palette, size_t used, float r, float g, float b) {
    float best = std::numeric_limits<float>::max();
    size_t bi = 1;
    for (size_t p = 1; p <= used; ++p) {
        float dr = r - palette[p * 3], dg = g - palette[p * 3 + 1], db = b - palette[p * 3 + 2];
        float d = dr * dr * kEyeWeight[0] + dg * dg * kEyeWeight[1] + db * db * kEyeWeight[2];
        if (d < best) {
            best = d;
            bi = p;
        }
    }
    return uint8_t(bi);
}

// Each pixel's index: 0 for black, else the nearest of entries 1..used,
// with serpentine Floyd-Steinberg error diffusion when asked.
void map_pixels(const Canvas& c, const std::vector<uint8_t>& rgb, const QuantizeOptions& opt,
                size_t used, Indexed& out) {
    std::vector<float> err(size_t(c.w + 2) * 2 * 3, 0.f);
    auto row_err = [&](int which, int x) -> float* {
        return &err[(size_t(which) * size_t(c.w + 2) + size_t(x + 1)) * 3];
    };
    for (int y = 0; y < c.h; ++y) {
        int cur = y & 1, nxt = cur ^ 1;
        std::fill(err.begin() + long(size_t(nxt) * size_t(c.w + 2) * 3),
                  err.begin() + long(size_t(nxt + 1) * size_t(c.w + 2) * 3), 0.f);
        bool rtl = (y & 1) != 0;
        for (int k = 0; k < c.w; ++k) {
            int x = rtl ? c.w - 1 - k : k;
            size_t i = size_t(y) * c.w + x;
            uint8_t r8 = rgb[i * 3], g8 = rgb[i * 3 + 1], b8 = rgb[i * 3 + 2];
            if (!(r8 | g8 | b8)) {
                out.index[i] = 0;
                continue;
            }
            float v[3] = {c.px[i].r * 255.f, c.px[i].g * 255.f, c.px[i].b * 255.f};
            if (opt.dither) {
                float* e = row_err(cur, x);
                for (int q = 0; q < 3; ++q)
                    v[q] = std::clamp(v[q] + e[q], 0.f, 255.f);
            } else {
                v[0] = r8;
                v[1] = g8;
                v[2] = b8;
            }
            uint8_t idx = nearest(out.palette, used, v[0], v[1], v[2]);
            out.index[i] = idx;
            if (!opt.dither) continue;
            int dir = rtl ? -1 : 1;
            for (int q = 0; q < 3; ++q) {
                float d = (v[q] - out.palette[idx * 3 + size_t(q)]) * opt.dither_strength;
                auto push = [&](int row, int xx, float w) {
                    if (xx < 0 || xx >= c.w) return;
                    int yy = row == cur ? y : y + 1;
                    if (yy >= c.h) return;
                    size_t j = size_t(yy) * c.w + xx;
                    if (!(rgb[j * 3] | rgb[j * 3 + 1] | rgb[j * 3 + 2])) return;
                    row_err(row, xx)[q] += d * w;
                };
                push(cur, x + dir, 7.f / 16);
                push(nxt, x - dir, 3.f / 16);
                push(nxt, x, 5.f / 16);
                push(nxt, x + dir, 1.f / 16);
            }
        }
    }
}

} // namespace

Indexed quantize(const Canvas& c, const QuantizeOptions& opt) {
    Indexed out;
    out.w = c.w;
    out.h = c.h;
    out.index.assign(size_t(c.w) * c.h, 0);
    std::vector<uint8_t> rgb = to_rgb8(c);
    std::vector<Entry> entries = histogram(rgb, size_t(c.w) * c.h);
    std::vector<float> pal; // r, g, b floats of entries 1..
    if (!entries.empty()) {
        pal = box_means(entries, median_cut(entries));
        refine(entries, pal);
    }
    size_t used = fill_palette(pal, out.palette);
    if (used == 0) return out;
    map_pixels(c, rgb, opt, used, out);
    return out;
}

std::vector<uint8_t> expand(const Indexed& img) {
    std::vector<uint8_t> out(img.index.size() * 3);
    for (size_t i = 0; i < img.index.size(); ++i)
        for (int k = 0; k < 3; ++k)
            out[i * 3 + size_t(k)] = img.palette[img.index[i] * 3 + size_t(k)];
    return out;
}
