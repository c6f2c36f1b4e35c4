// The helper thread behind for_each_band (see bands.h).
#include "core/bands.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <memory>

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define VORN_BANDS_THREADED 0
#else
#define VORN_BANDS_THREADED 1
#include <system_error>
#include <thread>
#endif
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

#if VORN_BANDS_THREADED

int32_t default_count() {
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

// Waits until `a` no longer holds `old` and returns what it holds: spins for
// up to `spin`, then sleeps on the atomic.
uint32_t wait_for_change(const std::atomic<uint32_t>& a, uint32_t old,
                         std::chrono::microseconds spin) {
    const auto give_up = std::chrono::steady_clock::now() + spin;
    for (uint32_t i = 1;; ++i) {
        const uint32_t now = a.load(std::memory_order_acquire);
        if (now != old) return now;
        if (i % 64 == 0 && std::chrono::steady_clock::now() > give_up) break;
        spin_pause();
    }
    for (;;) {
        a.wait(old, std::memory_order_acquire);
        const uint32_t now = a.load(std::memory_order_acquire);
        if (now != old) return now;
    }
}

// The helper thread: runs the lower band of each posted job, unless another
// thread has taken it first. The caller takes it itself when it has drawn
// its own band and the helper has not started, so a busy machine that keeps
// the helper waiting for a core costs no more than drawing in one band. It
// sleeps between frames; when the program ends, it is woken, told to stop,
// and joined.
//
// Job t's lower band, from post to done (three counters, each only grows):
//
//   caller  posted_ = t -> draws band 0 -> take(t) won?  yes: draws band 1
//                                                       no: waits for done_ == t
//   helper  sees posted_ == t ------------> take(t) won?  yes: draws band 1
//   help()  (band 0 waiting at the depth seam) take(t) won?  yes: draws band 1
//   take(t) moves taken_ from t - 1 to t by compare-exchange: one winner,
//           who draws band 1 and then stores done_ = t.
class Helper {
  public:
    Helper() = default;
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    ~Helper() { stop(); }

    // Starts the thread; false when the system gives none.
    bool start() {
        try {
            thread_ = std::thread(&Helper::loop, this);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }

    // Ends the thread between jobs and waits for it.
    void stop() {
        if (!thread_.joinable()) return;
        stopping_.store(true, std::memory_order_release);
        posted_.fetch_add(1, std::memory_order_release); // wakes it
        posted_.notify_one();
        thread_.join();
    }

    void run(bands_detail::Job job, void* context, int32_t split) {
        job_ = job;
        context_ = context;
        split_ = split;
        const uint32_t ticket = posted_.load(std::memory_order_relaxed) + 1;
        posted_.store(ticket, std::memory_order_release);
        posted_.notify_one();
        job(context, Band{0, split, 0, 2});
        if (take(ticket)) return;
        uint32_t done = done_.load(std::memory_order_acquire);
        while (done != ticket)
            done = wait_for_change(done_, done, std::chrono::microseconds(200));
    }

    // Runs the lower band of the job in hand on the calling thread if no
    // thread has taken it yet.
    void take_waiting() { take(posted_.load(std::memory_order_acquire)); }

  private:
    // Takes the lower band of job `ticket` if nobody has, and runs it here.
    bool take(uint32_t ticket) {
        uint32_t before = ticket - 1;
        if (!taken_.compare_exchange_strong(before, ticket, std::memory_order_acq_rel))
            return false;
        assert(done_.load(std::memory_order_relaxed) == ticket - 1 && "one job at a time");
        job_(context_, Band{split_, kFrameHeight, 1, 2});
        done_.store(ticket, std::memory_order_release);
        done_.notify_one();
        return true;
    }

    void loop() {
        uint32_t seen = 0;
        for (;;) {
            seen = wait_for_change(posted_, seen, std::chrono::microseconds(200));
            if (stopping_.load(std::memory_order_acquire)) return;
            take(seen);
        }
    }

    // Written before posted_ is released; read by whoever takes the job.
    bands_detail::Job job_ = nullptr;
    void* context_ = nullptr;
    int32_t split_ = 0;
    // The last job posted, the last whose lower band a thread has taken,
    // and the last whose lower band is drawn.
    std::atomic<uint32_t> posted_{0}, taken_{0}, done_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Started on the first two-band call; stopped and joined as the program ends.
std::unique_ptr<Helper> helper;

#else

int32_t default_count() {
    return 1;
}

#endif

int32_t count_setting = 0; // 0: not yet decided

} // namespace

int32_t RowWork::split() const {
    int64_t done = 0, per_row = 0;
    for (int32_t y = 0; y < kFrameHeight; ++y) {
        per_row += change_[y];
        done += per_row;
        if (2 * done >= total_) return y + 1;
    }
    return kFrameHeight;
}

void copy_frame(uint32_t* to, const uint32_t* from) {
    for_each_band([to, from](const Band& band) {
        std::copy(from + band.first_pixel(), from + band.end_pixel(), to + band.first_pixel());
    });
}

void bands_detail::help() {
#if VORN_BANDS_THREADED
    if (helper) helper->take_waiting();
#endif
}

void spin_pause() {
#if defined(__SSE2__) || defined(_M_X64)
    _mm_pause();
#endif
}

void set_band_count(int32_t count) {
    count_setting = std::clamp(count, 1, VORN_BANDS_THREADED ? 2 : 1);
}

int32_t band_count() {
    if (count_setting == 0) count_setting = default_count();
    return count_setting;
}

void bands_detail::run(Job job, void* context, [[maybe_unused]] int32_t split) {
#ifndef NDEBUG
    // A job that called for_each_band again would wait for the helper it
    // may be running on.
    static std::atomic<bool> running{false};
    assert(!running.exchange(true) && "for_each_band does not nest");
    struct Done {
        ~Done() { running = false; }
    } done;
#endif
#if VORN_BANDS_THREADED
    if (band_count() == 2 && split > 0 && split < kFrameHeight) {
        if (!helper) {
            helper = std::make_unique<Helper>();
            if (!helper->start()) {
                helper.reset();
                count_setting = 1;
            }
        }
        if (helper) {
            helper->run(job, context, split);
            return;
        }
    }
#endif
    job(context, kWholeFrame);
}
