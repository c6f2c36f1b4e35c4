// The gentle mode's picture (see gentle_filter.h).
#include "safety/gentle_filter.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>

#include "core/screen.h"

namespace {

constexpr size_t kPixels = static_cast<size_t>(kFramePixels);
constexpr int kAll = 256; // the whole way
// An area is toned where it would make its seventh transition within a
// second; for red already where it would make its sixth, which leaves one
// for a red that vanishes (no toning holds that back) before what was shown
// is held there.
constexpr std::array<int, kFlashKinds> kToneFrom = {kMaxTransitions, kMaxTransitions - 1};
constexpr int kHalvings = 3; // rounds that halve the way before it stands still
constexpr int kFeather = 4;  // how fast a change may fade out around the areas asking it, per pixel

// The sRGB level whose linear light (kLinearLevels) is nearest each 0.16
// value: level c for values from halfway below its light to halfway above.
// Made on first use (kLinearLevels is filled before main()).
const std::array<uint8_t, kMeasureOne + 1>& srgb_levels() {
    static const std::array<uint8_t, kMeasureOne + 1> table = [] {
        std::array<uint8_t, kMeasureOne + 1> t{};
        size_t c = 0;
        for (int v = 0; v <= kMeasureOne; ++v) {
            while (c < 255 && 2 * v >= kLinearLevels[c] + kLinearLevels[c + 1])
                ++c;
            t[static_cast<size_t>(v)] = static_cast<uint8_t>(c);
        }
        return t;
    }();
    return table;
}

// From a toward b, t / 256 of the way in linear light, channel by channel;
// t 0 gives a and 256 gives b exactly.
uint32_t blend(uint32_t a, uint32_t b, int t, const std::array<uint8_t, kMeasureOne + 1>& srgb) {
    assert(t >= 0 && t <= kAll);
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int la = kLinearLevels[(a >> shift) & 0xFFu];
        const int lb = kLinearLevels[(b >> shift) & 0xFFu];
        const int l = la + ((lb - la) * t + (lb >= la ? 128 : -128)) / kAll;
        out |= uint32_t{srgb[static_cast<size_t>(l)]} << shift;
    }
    return out;
}

// The least of the `w` rows from each row on, in place, for `count` rows
// of `width` values, `stride` apart (rows past the end count as kAll): runs
// of 1, 2, 4, ... rows, doubled each pass, then two overlapping runs.
void rows_min(uint16_t* v, int count, int stride, int width, int w) {
    auto pass = [&](int apart) {
        for (int i = 0; i + apart < count; ++i) {
            uint16_t* a = v + i * stride;
            const uint16_t* b = a + apart * stride;
            for (int x = 0; x < width; ++x)
                a[x] = std::min(a[x], b[x]);
        }
    };
    int run = 1;
    for (; 2 * run <= w; run *= 2)
        pass(run);
    if (w > run) pass(w - run); // [i, i + run) and [i + w - run, i + w)
}

// The same along one line of `count` values, through a copy (`scratch`).
void line_min(uint16_t* v, int count, int w, uint16_t* scratch) {
    auto pass = [&](int apart) {
        std::copy_n(v, count, scratch);
        for (int i = 0; i + apart < count; ++i)
            v[i] = std::min(scratch[i], scratch[i + apart]);
    };
    int run = 1;
    for (; 2 * run <= w; run *= 2)
        pass(run);
    if (w > run) pass(w - run);
}

} // namespace

GentleFilter::GentleFilter()
    : shown_(kPixels, 0), toned_(kPixels, 0), picture_(kPixels, 0), gain_(kPixels, kAll),
      keep_(kPixels, kAll), way_(kPixels, kAll), covered_(kPixels, kAll),
      areas_(static_cast<size_t>(kAreas), kAll), breaking_(static_cast<size_t>(kAreas), 0),
      grid_(static_cast<size_t>((kFrameWidth + kAreaWidth - 1) * (kFrameHeight + kAreaHeight - 1)),
            kAll) {}

// Pixel (x, y) lies in the areas with left edges x - kAreaWidth + 1 to x and
// top edges y - kAreaHeight + 1 to y: in a grid of the areas with
// kAreaWidth - 1 columns and kAreaHeight - 1 rows of kAll before them,
// the least over kAreaWidth x kAreaHeight from (x, y) on.
void GentleFilter::spread(const std::vector<uint16_t>& areas, std::vector<uint16_t>& pixels) {
    constexpr int kGridWidth = kFrameWidth + kAreaWidth - 1;
    constexpr int kGridHeight = kFrameHeight + kAreaHeight - 1;
    uint16_t* g = grid_.data();
    std::fill(grid_.begin(), grid_.end(), static_cast<uint16_t>(kAll));
    for (int y = 0; y < kAreaRows; ++y)
        std::copy_n(areas.data() + y * kAreaColumns, kAreaColumns,
                    g + (y + kAreaHeight - 1) * kGridWidth + kAreaWidth - 1);
    rows_min(g, kGridHeight, kGridWidth, kGridWidth, kAreaHeight); // down the columns
    std::array<uint16_t, kGridWidth> scratch;
    for (int y = 0; y < kFrameHeight; ++y) {
        line_min(g + y * kGridWidth, kGridWidth, kAreaWidth, scratch.data()); // along each row
        std::copy_n(g + y * kGridWidth, kFrameWidth, pixels.data() + y * kFrameWidth);
    }
}

// Along the rows both ways, then down and up the columns a row at a time;
// sums past `top` stop there.
void GentleFilter::feather(std::vector<uint16_t>& pixels, int step, int top) {
    uint16_t* w = pixels.data();
    auto rise = [&](uint16_t& v, uint16_t from) {
        v = static_cast<uint16_t>(std::min<int>(v, std::min(top, from + step)));
    };
    for (int y = 0; y < kFrameHeight; ++y) {
        uint16_t* row = w + y * kFrameWidth;
        for (int x = 1; x < kFrameWidth; ++x)
            rise(row[x], row[x - 1]);
        for (int x = kFrameWidth - 2; x >= 0; --x)
            rise(row[x], row[x + 1]);
    }
    for (int y = 1; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            rise(w[y * kFrameWidth + x], w[(y - 1) * kFrameWidth + x]);
    for (int y = kFrameHeight - 2; y >= 0; --y)
        for (int x = 0; x < kFrameWidth; ++x)
            rise(w[y * kFrameWidth + x], w[(y + 1) * kFrameWidth + x]);
}

// Each breaking area asks for a gain (its allowed luminance over the
// frame's, or its allowed red over the frame's) or a lift toward white (the
// share of the way from its luminance to white that brings it up to what is
// allowed). Both act on the linear light of each channel, so an area's mean
// luminance moves by just that share.
void GentleFilter::tone(const uint32_t* frame) {
    const int32_t* lum = drawn_sums_.sums[kGeneralFlash].data();
    const int32_t* red = drawn_sums_.sums[kRedFlash].data();
    const int32_t* lum_ok = allowed_.sums[kGeneralFlash].data();
    const int32_t* red_ok = allowed_.sums[kRedFlash].data();
    for (size_t a = 0; a < areas_.size(); ++a) {
        double gain = 1.0;
        if (lum_ok[a] < lum[a]) gain = static_cast<double>(lum_ok[a]) / lum[a];
        if (red_ok[a] < red[a]) gain = std::min(gain, static_cast<double>(red_ok[a]) / red[a]);
        areas_[a] = static_cast<uint16_t>(gain * kAll); // (rounded down: a little more)
    }
    spread(areas_, gain_);
    feather(gain_, kFeather, kAll);
    for (size_t a = 0; a < areas_.size(); ++a) {
        areas_[a] = kAll;
        if (lum_ok[a] <= lum[a]) continue;
        const double lift =
            static_cast<double>(lum_ok[a] - lum[a]) / static_cast<double>(kAreaOne - lum[a]);
        // (rounded up: a little more)
        areas_[a] = static_cast<uint16_t>(kAll - std::min(kAll, static_cast<int>(lift * kAll) + 1));
    }
    spread(areas_, keep_);
    feather(keep_, kFeather, kAll);

    const auto& srgb = srgb_levels();
    for (size_t i = 0; i < kPixels; ++i) {
        const uint32_t gain = gain_[i], keep = keep_[i];
        if (gain == kAll && keep == kAll) {
            toned_[i] = frame[i];
            continue;
        }
        uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            uint32_t l = kLinearLevels[(frame[i] >> shift) & 0xFFu] * gain / kAll;
            l += (kMeasureOne - l) * (kAll - keep) / kAll;
            out |= uint32_t{srgb[l]} << shift;
        }
        toned_[i] = out;
    }
}

void GentleFilter::halve_ways(bool to_still) {
    std::fill(breaking_.begin(), breaking_.end(), 0);
    state_.breaks(sums_, &breaking_);
    for (size_t a = 0; a < areas_.size(); ++a)
        areas_[a] = breaking_[a] ? 0 : kAll;
    spread(areas_, covered_);
    bool moved = false;
    for (size_t i = 0; i < kPixels; ++i)
        if (covered_[i] == 0 && way_[i] > 0) {
            way_[i] = to_still ? 0 : way_[i] / 2;
            moved = true;
        }
    assert(moved); // an area whose pixels all stand still breaks no rule
    (void)moved;
    feather(way_, kFeather, kAll);
}

void GentleFilter::go_ways() {
    const auto& srgb = srgb_levels();
    for (size_t i = 0; i < kPixels; ++i)
        picture_[i] = way_[i] == kAll ? toned_[i] : blend(shown_[i], toned_[i], way_[i], srgb);
    measure_frame(picture_.data(), measures_);
    meter_.sum(measures_, sums_);
}

const uint32_t* GentleFilter::filter(const uint32_t* frame, int64_t time_us) {
    last_time_ = std::max(last_time_, time_us);
    state_.next_frame(last_time_);
    ++frames_;
    measure_frame(frame, drawn_);
    meter_.sum(drawn_, drawn_sums_);
    if (!state_.nearest_allowed(drawn_sums_, allowed_, kToneFrom)) {
        std::copy(frame, frame + kFramePixels, shown_.begin());
        state_.show(drawn_sums_);
        ++exact_frames_;
        return shown_.data();
    }

    // Toned, then where an area still breaks a rule, each pixel in it half
    // as far from what was shown, and again, and after kHalvings rounds not
    // at all: pixels that stand still show what was shown, which makes no
    // transition, so this ends.
    tone(frame);
    std::fill(way_.begin(), way_.end(), static_cast<uint16_t>(kAll));
    for (int round = 0;; ++round) {
        go_ways();
        if (!state_.breaks(sums_)) break;
        halve_ways(round >= kHalvings);
    }
    shown_.swap(picture_);
    state_.show(sums_);
    if (std::equal(shown_.begin(), shown_.end(), frame)) ++exact_frames_;
    return shown_.data();
}
