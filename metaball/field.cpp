// The metaball field (see field.h). Every stored value is rounded to float;
// the arithmetic between stores runs in double precision.
#include "metaball/field.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "core/bands.h"
#include "core/pixels4.h"
#include "core/rand.h"
#include "core/round_to_float.h"

float grid_coordinate(int n, float lo, float hi) {
    // kGridSize points per axis span kGridSize - 1 (19) equal steps from lo
    // to hi: t = n / 19 runs from 0 to 1, rounded to float before it is used.
    constexpr double kSteps = kGridSize - 1;
    const double t = static_cast<float>(n / kSteps);
    return static_cast<float>((1.0 - t) * lo + t * hi);
}

// Each blob's speed is kSpeedRange x (kRandMax + 1 - r) / kRandMax, just
// above 0 to just above 3 (the product rounded to float, the quotient in
// double); its three phase factors are r / kRandMax, 0 to 1.
constexpr int kSpeedRange = 3;

void draw_blob_parameters(Field& field) {
    constexpr double kRandMax = vorn::kRandMax;
    vorn::srand(kBlobSeed);
    for (int k = 0; k < kBlobCount; ++k) {
        const int r1 = vorn::rand();
        const int r2 = vorn::rand();
        const int r3 = vorn::rand();
        const int r4 = vorn::rand();
        const int above_r1 = vorn::kRandMax + 1 - r1; // 1 .. kRandMax + 1
        field.speeds[k] =
            static_cast<float>(double(static_cast<float>(above_r1 * kSpeedRange)) / kRandMax);
        field.blobs[k].a = static_cast<float>(r2 / kRandMax);
        field.blobs[k].b = static_cast<float>(r3 / kRandMax);
        field.blobs[k].c = static_cast<float>(r4 / kRandMax);
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
// and d.z^2 once per depth: the same sums.
namespace {

struct Squares {
    float xs[kGridSize], ys[kGridSize], zs[kGridSize]; // coordinates, no depth offset
    double zz[kBlobCount][kGridSize];                  // d.z^2 per blob and depth
};

double square(float a) {
    return double(a) * double(a);
}

float difference(float a, float b) {
    return static_cast<float>(double(a) - double(b));
}

Squares grid_squares(const Field& field) {
    Squares s;
    for (int n = 0; n < kGridSize; ++n) {
        s.xs[n] = grid_coordinate(n, -1000, 1000);
        s.ys[n] = grid_coordinate(n, 1000, -1000);
        s.zs[n] = grid_coordinate(n, -1000, 1000);
    }
    for (int b = 0; b < kBlobCount; ++b)
        for (int k = 0; k < kGridSize; ++k)
            s.zz[b][k] = square(difference(s.zs[k], field.blobs[b].position.z));
    return s;
}

// d.x^2 + d.y^2 of every blob for the points of column i, row j.
void column_squares(const Field& field, const Squares& s, int i, int j, double (&xy)[kBlobCount]) {
    for (int b = 0; b < kBlobCount; ++b) {
        const FloatVector& c = field.blobs[b].position;
        xy[b] = square(difference(s.xs[i], c.x)) + square(difference(s.ys[j], c.y));
    }
}

// The field values of two points side by side, one per lane: lane n of
// xy[b] holds d.x^2 + d.y^2 of point n and blob b, and point n lies at depth
// k0 or k1. Plain form, per point: value = float(value + kFieldStrength /
// (xy + zz)) for each blob in turn (see field_value).
px4::Doubles2 field_values(const Squares& s, const px4::Doubles2 (&xy)[kBlobCount], int k0,
                           int k1) {
    using namespace px4;
    Doubles2 value = splat_double(0);
    for (int b = 0; b < kBlobCount; ++b)
        value = round_to_float(value + splat_double(kFieldStrength) /
                                           (xy[b] + doubles(s.zz[b][k0], s.zz[b][k1])));
    return value;
}

float field_value(const Squares& s, const double (&xy)[kBlobCount], int k) {
    float value = 0;
    for (int b = 0; b < kBlobCount; ++b)
        value = round_to_float(value + kFieldStrength / (xy[b] + s.zz[b][k]));
    return value;
}

void set_position(GridPoint& point, const Squares& s, int i, int j, int k) {
    point.position = {s.xs[i], s.ys[j], static_cast<float>(double(s.zs[k]) + kDepthOffset)};
}

void offset_blobs(Field& field) {
    for (Blob& blob : field.blobs)
        blob.position.z = static_cast<float>(double(blob.position.z) + kDepthOffset);
}

} // namespace

// Two depths of a column at a time, one per lane.
void sample_field(Field& field) {
    static_assert(kGridSize % 2 == 0, "depths go in pairs");
    const Squares s = grid_squares(field);
    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j) {
            double xy[kBlobCount];
            column_squares(field, s, i, j, xy);
            px4::Doubles2 xy2[kBlobCount];
            for (int b = 0; b < kBlobCount; ++b)
                xy2[b] = px4::splat_double(xy[b]);
            for (int k = 0; k < kGridSize; k += 2) {
                const px4::Doubles2 values = field_values(s, xy2, k, k + 1);
                for (int lane = 0; lane < 2; ++lane) {
                    GridPoint& point = field.grid[grid_index(i, j, k + lane)];
                    set_position(point, s, i, j, k + lane);
                    point.value = px4::float_lane(values, lane);
                }
            }
        }
    offset_blobs(field);
}

namespace {

// How far the roundings can move a point's value and its bound, as a
// fraction of themselves (see sample_field_near_surface).
constexpr double kBoundMargin = 1e-5;

struct GridIndices {
    int i, j, k;
};

GridIndices grid_indices(int32_t n) {
    return {n / (kGridSize * kGridSize), n / kGridSize % kGridSize, n % kGridSize};
}

// The two steps of sample_field_near_surface and what they share: the field
// they write, its squares, each blob's depth share kFieldStrength / zz and
// the scratch.
struct NearSurfaceSampler {
    Field& field;
    const Squares& s;
    const double (&z_share)[kBlobCount][kGridSize];
    NearSurfaceScratch& scratch;

    // One column of points (i, j, k = 0 .. 19): bounds for all, exact values
    // and positions for those near the level. Sets bit i of below_level[k]
    // for each point k whose value lies below the level. Reads and writes
    // only this column's entries and bit i of below_level's words.
    void sample_column(int i, int j, uint32_t (&below_level)[kGridSize]) const {
        double(&xy)[kBlobCount] = scratch.xy[i][j];
        column_squares(field, s, i, j, xy);
        double x_share[kBlobCount];
        for (int b = 0; b < kBlobCount; ++b)
            x_share[b] = kFieldStrength / xy[b];
        double bound[kGridSize] = {};
        for (int b = 0; b < kBlobCount; ++b)
            for (int k = 0; k < kGridSize; ++k)
                bound[k] += std::min(x_share[b], z_share[b][k]);
        int near[kGridSize]; // depths close to the level, near[0 .. near_total - 1]
        int near_total = 0;
        GridPoint* points = &field.grid[grid_index(i, j, 0)];
        for (int k = 0; k < kGridSize; ++k) {
            const bool surely_below = bound[k] < kSurfaceLevel * (1 - kBoundMargin);
            const bool surely_above = bound[k] / 2 > kSurfaceLevel * (1 + kBoundMargin);
            points[k].value = static_cast<float>(surely_below ? bound[k] : bound[k] / 2);
            // Appends k when the point is near the level, without a branch
            // on the data that the processor would often guess wrong: k
            // always goes into the next free slot (near_total <= k, so the
            // slot exists), and the count moves past it only when near.
            near[near_total] = k;
            near_total += !(surely_below || surely_above);
        }
        // Their exact values, two at a time, as in sample_field.
        px4::Doubles2 xy2[kBlobCount];
        for (int b = 0; b < kBlobCount; ++b)
            xy2[b] = px4::splat_double(xy[b]);
        int m = 0;
        for (; m + 2 <= near_total; m += 2) {
            const px4::Doubles2 values = field_values(s, xy2, near[m], near[m + 1]);
            points[near[m]].value = px4::float_lane(values, 0);
            points[near[m + 1]].value = px4::float_lane(values, 1);
        }
        if (m < near_total) points[near[m]].value = field_value(s, xy, near[m]);
        bool* known = &scratch.exact[grid_index(i, j, 0)];
        std::fill(known, known + kGridSize, false);
        for (m = 0; m < near_total; ++m) {
            known[near[m]] = true;
            set_position(points[near[m]], s, i, j, near[m]);
        }
        for (int k = 0; k < kGridSize; ++k)
            below_level[k] |= uint32_t{points[k].value < kSurfaceLevel} << i;
    }

    // The exact values and positions of the pending points first .. end - 1,
    // two at a time. Writes only those points' entries.
    void work_out_pending(int32_t first, int32_t end) const {
        const int32_t* pending = scratch.pending;
        int32_t m = first;
        for (; m + 2 <= end; m += 2) {
            const GridIndices p0 = grid_indices(pending[m]);
            const GridIndices p1 = grid_indices(pending[m + 1]);
            px4::Doubles2 xy2[kBlobCount];
            for (int b = 0; b < kBlobCount; ++b)
                xy2[b] = px4::doubles(scratch.xy[p0.i][p0.j][b], scratch.xy[p1.i][p1.j][b]);
            const px4::Doubles2 values = field_values(s, xy2, p0.k, p1.k);
            field.grid[pending[m]].value = px4::float_lane(values, 0);
            field.grid[pending[m + 1]].value = px4::float_lane(values, 1);
        }
        for (; m < end; ++m) {
            const GridIndices p = grid_indices(pending[m]);
            field.grid[pending[m]].value = field_value(s, scratch.xy[p.i][p.j], p.k);
        }
        for (m = first; m < end; ++m) {
            const GridIndices p = grid_indices(pending[m]);
            scratch.exact[pending[m]] = true;
            set_position(field.grid[pending[m]], s, p.i, p.j, p.k);
        }
    }
};

} // namespace

// Each blob's share kFieldStrength / (xy + zz) of a point's value lies
// between half and all of min(kFieldStrength / xy, kFieldStrength / zz), as
// xy + zz lies between max(xy, zz) and twice that; so the sum of those
// minimums, `bound`, puts the value between bound / 2 and bound. The
// roundings of the sums move the value and the bound by less than
// kBoundMargin of themselves. A point with bound below the surface level by
// more than that margin lies below it, one with bound / 2 above it by more
// than the margin lies above it;
// the others, close to the level, get their exact values (a column's two
// depths at a time, as in sample_field), and so do both ends of every grid
// edge that crosses the level, which extraction interpolates along.
void sample_field_near_surface(Field& field) {
    const Squares s = grid_squares(field);
    double z_share[kBlobCount][kGridSize];
    for (int b = 0; b < kBlobCount; ++b)
        for (int k = 0; k < kGridSize; ++k)
            z_share[b][k] = kFieldStrength / s.zz[b][k];
    NearSurfaceScratch& scratch = field.near_surface.get();
    const NearSurfaceSampler sampler{field, s, z_share, scratch};

    // Bit i of below_level[j][k] is set when point (i, j, k) lies below the
    // level. Two parts take the rows j apart, so that each writes its own
    // words.
    uint32_t below_level[kGridSize][kGridSize] = {};
    for_each_part(
        kGridSize,
        [&sampler, &below_level](int32_t j_first, int32_t j_end) {
            for (int i = 0; i < kGridSize; ++i)
                for (int j = j_first; j < j_end; ++j)
                    sampler.sample_column(i, j, below_level[j]);
        },
        2);

    // A grid edge crosses the level where its two ends' bits differ; its
    // ends not yet exact are due.
    int32_t pending_total = 0;
    for (int j = 0; j < kGridSize; ++j)
        for (int k = 0; k < kGridSize; ++k) {
            const uint32_t b = below_level[j][k];
            const uint32_t along_i = (b ^ b >> 1) & ((1u << (kGridSize - 1)) - 1);
            uint32_t ends = along_i | along_i << 1;
            if (j > 0) ends |= b ^ below_level[j - 1][k];
            if (j + 1 < kGridSize) ends |= b ^ below_level[j + 1][k];
            if (k > 0) ends |= b ^ below_level[j][k - 1];
            if (k + 1 < kGridSize) ends |= b ^ below_level[j][k + 1];
            for (; ends != 0; ends &= ends - 1) {
                const int32_t n = grid_index(std::countr_zero(ends), j, k);
                if (!scratch.exact[n]) scratch.pending[pending_total++] = n;
            }
        }
    for_each_part(pending_total,
                  [&sampler](int32_t first, int32_t end) { sampler.work_out_pending(first, end); });
    offset_blobs(field);
}
