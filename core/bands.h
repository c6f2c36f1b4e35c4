// Drawing one frame in two horizontal bands at once: the upper band on the
// calling thread, the lower band on a helper thread.
//
//   for_each_band(job, split)
//                       calls job(band) for every band and returns when every
//                       call has returned. With two bands, band 0 (rows
//                       0 .. split - 1) runs on the calling thread while band
//                       1 (rows split .. 239) runs on the helper; with one
//                       band, or a split at 0 or 240 or beyond, job sees the
//                       whole frame on the calling thread. A caller that
//                       knows where its work lies puts the split where each
//                       band gets half of it.
//   set_band_count(n)   1 or 2 (anything else is taken as the nearer one);
//                       the next for_each_band uses it. The default is 2
//                       where the build has threads and the machine two or
//                       more cores, else 1.
//   band_count()        the count the next for_each_band uses.
//   copy_frame(to, from) copies a whole frame, each band its own rows.
//   for_each_part(count, job, smallest = 64)
//                       calls job(begin, end) for parts of the indices
//                       0 .. count - 1 that together cover each once: with
//                       two bands the first half on the calling thread and the
//                       second on the helper, otherwise (or for fewer than
//                       `smallest` indices) all in one call. For
//                       loops whose iterations are independent of each other
//                       (each writes only what belongs to its own index).
//   split_in_parts(count, add_part)
//                       the split for work listed in the two parts that
//                       for_each_part(count, ...) makes (RowWork below).
//
// A job draws only the rows of its band and reads nothing the other band
// writes, so the frame comes out the same whichever band finishes first and
// whatever the count. (A depth-tested run can read one entry of the other
// band's rows; render/depth_seam.h covers it.) Everything the job reads must
// be ready before the call. Calls come from one thread and do not nest.
//
// The helper spins for a fraction of a millisecond after each job, since a
// frame's jobs come microseconds apart, and then sleeps until the next.
#pragma once
#include <cstdint>
#include <type_traits>

#include "core/screen.h"

struct Band {
    int32_t top, bottom; // rows top .. bottom - 1
    int32_t index, count;
    bool has_band_above() const { return index > 0; }
    bool has_band_below() const { return index + 1 < count; }
    // The band's pixels first_pixel() .. end_pixel() - 1 of the frame.
    int32_t first_pixel() const { return top * kFrameWidth; }
    int32_t end_pixel() const { return bottom * kFrameWidth; }
};

constexpr Band kWholeFrame{0, kFrameHeight, 0, 1};

void set_band_count(int32_t count);
int32_t band_count();

// Where to split: add each piece of work's rows, then split() is the row
// that gives each band about half of the work. A piece costs one unit per
// row on screen and two more for its set-up.
class RowWork {
  public:
    // Rows top .. bottom - 1, any values.
    void add(int64_t top, int64_t bottom) {
        top = top < 0 ? 0 : top;
        bottom = bottom > kFrameHeight ? kFrameHeight : bottom;
        if (top >= bottom) return;
        change_[top] += 3; // the first row and the set-up
        change_[top + 1] -= 2;
        change_[bottom] -= 1;
        total_ += bottom - top + 2;
    }
    // Adds another list's pieces to this one.
    void add(const RowWork& other) {
        for (int32_t y = 0; y <= kFrameHeight; ++y)
            change_[y] += other.change_[y];
        total_ += other.total_;
    }
    int32_t split() const;

  private:
    int32_t change_[kFrameHeight + 1] = {}; // change of the per-row work at each row
    int64_t total_ = 0;
};

void copy_frame(uint32_t* to, const uint32_t* from);

// One beat of a spin-wait: tells the processor the thread is waiting.
void spin_pause();

namespace bands_detail {
using Job = void (*)(void* context, const Band& band);
void run(Job job, void* context, int32_t split);
// For a band that must wait for the other: draws the lower band here if no
// thread has started it yet.
void help();
} // namespace bands_detail

template <class Job> void for_each_band(Job&& job, int32_t split = kFrameHeight / 2) {
    using J = std::remove_reference_t<Job>;
    bands_detail::run([](void* context, const Band& band) { (*static_cast<J*>(context))(band); },
                      const_cast<void*>(static_cast<const void*>(&job)), split);
}

template <class Job> void for_each_part(int32_t count, Job&& job, int32_t smallest = 64) {
    // Fewer than `smallest` iterations are not worth a hand-over.
    if (count < smallest || count < 2 || band_count() < 2) {
        job(int32_t{0}, count);
        return;
    }
    const int32_t half = count / 2;
    for_each_band([&](const Band& band) {
        if (band.count < 2)
            job(int32_t{0}, count);
        else if (band.index == 0)
            job(int32_t{0}, half);
        else
            job(half, count);
    });
}

// The split for work listed in the same two parts as for_each_part(count):
// add_part(work, begin, end) adds the pieces of indices begin .. end - 1 to
// `work`. Each thread then reads what its part of an earlier for_each_part
// over the same indices wrote.
template <class AddPart> int32_t split_in_parts(int32_t count, AddPart&& add_part) {
    struct alignas(64) Part {
        RowWork work;
    } parts[2];
    for_each_part(count, [&](int32_t first, int32_t end) {
        add_part(parts[first == 0 ? 0 : 1].work, first, end);
    });
    parts[0].work.add(parts[1].work);
    return parts[0].work.split();
}
