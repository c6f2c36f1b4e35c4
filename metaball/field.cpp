// The metaball field (see field.h). Every stored value is rounded to float;
// the arithmetic between stores runs in double precision.
#include "metaball/field.h"

#include <cmath>

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

void sample_field(Field& field) {
    float xs[kGridSize], ys[kGridSize], zs[kGridSize];
    for (int n = 0; n < kGridSize; ++n) {
        xs[n] = grid_coordinate(n, -1000, 1000);
        ys[n] = grid_coordinate(n, 1000, -1000);
        zs[n] = grid_coordinate(n, -1000, 1000);
    }
    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j)
            for (int k = 0; k < kGridSize; ++k) {
                const FloatVector p{xs[i], ys[j], zs[k]};
                float value = 0;
                for (const Blob& blob : field.blobs) {
                    const FloatVector d = vector_difference(p, blob.position);
                    value = static_cast<float>(value + kFieldStrength / dot_product(d, d));
                }
                GridPoint& point = field.grid[grid_index(i, j, k)];
                point.position = {p.x, p.y, static_cast<float>(double(p.z) + kDepthOffset)};
                point.value = value;
            }
    for (Blob& blob : field.blobs)
        blob.position.z = static_cast<float>(double(blob.position.z) + kDepthOffset);
}
