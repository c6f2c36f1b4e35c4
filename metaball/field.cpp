// The metaball field (see field.h). Every stored value is rounded to float;
// the arithmetic between stores runs in double precision.
#include "metaball/field.h"

#include <cmath>

#include "core/pixels4.h"
#include "core/rand.h"

float grid_coordinate(int n, float lo, float hi) {
    const double t = static_cast<float>(n / 19.0);
    return static_cast<float>((1.0 - t) * lo + t * hi);
}

void draw_blob_parameters(Field& field) {
    vorn::srand(kBlobSeed);
    for (int k = 0; k < kBlobCount; ++k) {
        const int r1 = vorn::rand();
        const int r2 = vorn::rand();
        const int r3 = vorn::rand();
        const int r4 = vorn::rand();
        field.speeds[k] =
            static_cast<float>(double(static_cast<float>((32768 - r1) * 3)) / 32767.0);
        field.blobs[k].a = static_cast<float>(r2 / 32767.0);
        field.blobs[k].b = static_cast<float>(r3 / 32767.0);
        field.blobs[k].c = static_cast<float>(r4 / 32767.0);
    }
}

void move_blobs(Field& field, int32_t tick) {
    const double w = static_cast<float>(tick * 0.015);
    for (int k = 0; k < kBlobCount; ++k) {
        Blob& blob = field.blobs[k];
        const double s = field.speeds[k];
        blob.position.x = static_cast<float>(800.0 * std::sin((blob.a + s) * w));
        blob.position.y = static_cast<float>(500.0 * std::sin((blob.b + s) * w));
        blob.position.z = static_cast<float>(500.0 * std::sin((blob.c + s) * w));
    }
}

// The field at a point is the sum over the blobs of kFieldStrength / |d|^2,
// rounded to float after every blob, where d = point - blob is rounded to
// float per component and |d|^2 = d.x^2 + d.y^2 + d.z^2 is added left to
// right in double. d.x depends only on the grid column, d.y on the row and
// d.z on the depth, so d.x^2 + d.y^2 is worked out once per column and row
// and d.z^2 once per depth: the same sums. The vector loop runs two depths
// side by side, one per lane, with the same roundings.
void sample_field(Field& field) {
    static_assert(kGridSize % 2 == 0, "depths go in pairs");
    float xs[kGridSize], ys[kGridSize], zs[kGridSize];
    for (int n = 0; n < kGridSize; ++n) {
        xs[n] = grid_coordinate(n, -1000, 1000);
        ys[n] = grid_coordinate(n, 1000, -1000);
        zs[n] = grid_coordinate(n, -1000, 1000);
    }
    auto square = [](float a) { return double(a) * double(a); };
    auto difference = [](float a, float b) { return static_cast<float>(double(a) - double(b)); };
    double zz[kBlobCount][kGridSize]; // d.z^2 per blob and depth
    for (int b = 0; b < kBlobCount; ++b)
        for (int k = 0; k < kGridSize; ++k)
            zz[b][k] = square(difference(zs[k], field.blobs[b].position.z));

    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j) {
            double xy[kBlobCount]; // d.x^2 + d.y^2 per blob
            for (int b = 0; b < kBlobCount; ++b) {
                const FloatVector& c = field.blobs[b].position;
                xy[b] = square(difference(xs[i], c.x)) + square(difference(ys[j], c.y));
            }
            for (int k = 0; k < kGridSize; k += 2) {
                using namespace px4;
                // Plain form, per depth: value = float(value + kFieldStrength / (xy + zz)).
                Doubles2 value = splat_double(0);
                for (int b = 0; b < kBlobCount; ++b)
                    value = round_to_float(
                        value + splat_double(kFieldStrength) /
                                    (splat_double(xy[b]) + doubles(zz[b][k], zz[b][k + 1])));
                for (int lane = 0; lane < 2; ++lane) {
                    GridPoint& point = field.grid[grid_index(i, j, k + lane)];
                    point.position = {xs[i], ys[j],
                                      static_cast<float>(double(zs[k + lane]) + kDepthOffset)};
                    point.value = float_lane(value, lane);
                }
            }
        }
    for (Blob& blob : field.blobs)
        blob.position.z = static_cast<float>(double(blob.position.z) + kDepthOffset);
}
