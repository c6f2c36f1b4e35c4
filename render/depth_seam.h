// The one depth entry that two bands (core/bands.h) both read.
//
// A depth-tested run judges its far end at its exclusive end column, which
// for a run reaching the right border is the first entry of the next row. On
// the upper band's last row that entry lies in the lower band's first row,
// where the lower band may be drawing any face at that moment. So while both
// bands draw one list of faces, the lower band notes each value its runs
// leave in that entry and how many faces it has finished, and the upper band
// asks for the value the entry held before a given face: the value a single
// pass over the faces would read there. The upper band may wait for the lower
// one (and draws it itself if no thread has started it); the lower band never
// waits.
#pragma once
#include <atomic>
#include <cassert>
#include <cstdint>
#include <vector>

#include "core/bands.h"

class DepthSeam {
  public:
    // Before the bands start, with the depth buffer as it is now, the lower
    // band's top row and the number of faces about to be drawn (the lower
    // band has at most one run per face on its top row).
    void start(const uint32_t* depth, int32_t split, int32_t faces) {
        initial_ = split > 0 && split < kFrameHeight ? depth[split * kFrameWidth] : 0;
        notes_.resize(static_cast<size_t>(faces > 0 ? faces : 0));
        noted_.store(0, std::memory_order_relaxed);
        faces_done_.store(0, std::memory_order_relaxed);
    }

    // Lower band: face `face`'s run on the seam row, which began at column 0,
    // left `value` in the entry.
    void note(int32_t face, uint32_t value) {
        const uint32_t n = noted_.load(std::memory_order_relaxed);
        // One run per face and row: never more notes than faces.
        assert(n < notes_.size());
        if (n >= notes_.size()) return;
        notes_[n] = {face, value};
        noted_.store(n + 1, std::memory_order_release);
    }
    // Lower band: faces 0 .. count - 1 are drawn.
    void faces_done(int32_t count) { faces_done_.store(count, std::memory_order_release); }

    // Upper band: the entry as faces 0 .. face - 1 left it.
    uint32_t before(int32_t face) const {
        while (faces_done_.load(std::memory_order_acquire) < face) {
            bands_detail::help(); // the lower band may not have started
            spin_pause();
        }
        for (uint32_t n = noted_.load(std::memory_order_acquire); n > 0; --n)
            if (notes_[n - 1].face < face) return notes_[n - 1].value;
        return initial_;
    }

  private:
    struct Note {
        int32_t face;
        uint32_t value;
    };
    // The notes and the entry's first value are written before the bands
    // start or by the lower band only; the two counters the upper band polls
    // sit on a cache line of their own (the class's size rounds up to whole
    // lines), so that the lower band's other writes do not share it.
    uint32_t initial_ = 0;
    std::vector<Note> notes_;
    alignas(64) std::atomic<uint32_t> noted_{0};
    std::atomic<int32_t> faces_done_{0};
};
