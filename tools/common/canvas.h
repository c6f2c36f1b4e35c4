// True-colour working buffers for the asset generator: float RGB pictures
// (channels nominally 0..1, values above 1 allowed until quantising) and
// single-channel float masks (coverage 0..1). Pixel (x, y) is at y * w + x.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
Rgb mix(Rgb a, Rgb b, float t);
// Colour from 0..255 components.
Rgb rgb8(int r, int g, int b);
// Sample a colour ramp: `stops` are (position 0..1, colour) in rising order.
struct RampStop {
    float pos;
    Rgb col;
};
Rgb ramp(const std::vector<RampStop>& stops, float t);

struct Mask {
    int w = 0, h = 0;
    std::vector<float> v;
    Mask() = default;
    Mask(int w_, int h_) : w(w_), h(h_), v(size_t(w_) * h_, 0.f) {}
    float& at(int x, int y) { return v[size_t(y) * w + x]; }
    float at(int x, int y) const { return v[size_t(y) * w + x]; }
};

struct Canvas {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Canvas() = default;
    Canvas(int w_, int h_) : w(w_), h(h_), px(size_t(w_) * h_) {}
    Rgb& at(int x, int y) { return px[size_t(y) * w + x]; }
    const Rgb& at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// How blurs treat the border: wrap around in both directions (tiling
// pictures), wrap only left-right (strips that scroll sideways), or treat
// everything outside as zero.
enum class Edge { Wrap, WrapX, Zero };

// Separable Gaussian blur with standard deviation `sigma` pixels.
void blur(Mask& m, float sigma, Edge edge);
void blur(Canvas& c, float sigma, Edge edge);
// Grow a mask: every pixel becomes the largest value within `radius` pixels
// (a round neighbourhood), wrapping horizontally when `wrap_x`.
Mask dilate(const Mask& m, float radius, bool wrap_x);
// Add `m * colour * gain` to the canvas.
void add_mask(Canvas& c, const Mask& m, Rgb colour, float gain = 1.f);
// Clamp every channel to 0..1.
void clamp01(Canvas& c);
// Soft-clip bright values: channels above `knee` roll off smoothly toward 1,
// and overflow in one channel spills gently into the others (glows turn white
// at the core instead of clipping to a flat hue).
void tonemap(Canvas& c, float knee = 0.7f);
// Set every pixel whose channels are all below `floor` to exact black.
void cut_black(Canvas& c, float floor);
// 8-bit RGB bytes (r, g, b per pixel), rounded and clamped.
std::vector<uint8_t> to_rgb8(const Canvas& c);
