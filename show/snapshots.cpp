// Snapshots of the whole show, made in slices (see snapshots.h).
#include "show/snapshots.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <type_traits>

#include "core/byte_pack.h"
#include "core/clock.h"
#include "core/screen.h"
#include "show/replay.h"

namespace {

// The builder's state in place of the caller's for as long as it lives.
class SwappedIn {
  public:
    explicit SwappedIn(ShowState& own) : own_(own), caller_(save_show_state()) {
        restore_show_state(own_);
    }
    ~SwappedIn() {
        own_ = save_show_state();
        restore_show_state(caller_);
    }
    SwappedIn(const SwappedIn&) = delete;
    SwappedIn& operator=(const SwappedIn&) = delete;

  private:
    ShowState& own_;
    ShowState caller_;
};

} // namespace

SnapshotBuilder::SnapshotBuilder(const std::array<SceneOps, kSceneCount>& scenes,
                                 std::shared_ptr<const FileRead> module, int64_t every)
    : scenes_(scenes), every_(every), state_(save_show_state()) {
    assert(every_ > 0);
    RecordSettings settings;
    settings.rate = kReplayRate;
    settings.module_file = std::move(module);
    settings.ticks_to = &log_;
    recorder_ = std::make_unique<Recorder>(nowhere_, settings);
    done_ = !recorder_->startup("vorn.xm", 0) || !recorder_->start();
}

SnapshotBuilder::~SnapshotBuilder() = default;

size_t SnapshotBuilder::bytes() const {
    size_t n = log_.bytes() + snapshots_.capacity() * sizeof(ShowSnapshot);
    n += store_bytes_;
    for (const ShowSnapshot& s : snapshots_)
        n += s.mark.queued.capacity() * sizeof(TimedSync);
    return n;
}

namespace {

// The large parts of a snapshot as one run of bytes: the frame, the depth
// buffer, the objects' arrays and the metaballs, each array as its length
// and its items.
struct Bytes {
    std::vector<uint8_t> raw;
    template <class T> void put(const T* items, size_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto* b = reinterpret_cast<const uint8_t*>(items);
        raw.insert(raw.end(), b, b + count * sizeof(T));
    }
    template <class T> void put(const std::vector<T>& v) {
        const uint64_t count = v.size();
        put(&count, 1);
        put(v.data(), v.size());
    }
};

struct Reader {
    std::span<const uint8_t> raw;
    size_t at = 0;
    template <class T> void get(T* items, size_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        assert(at + count * sizeof(T) <= raw.size());
        if (count) std::memcpy(items, raw.data() + at, count * sizeof(T));
        at += count * sizeof(T);
    }
    template <class T> void get(std::vector<T>& v) {
        uint64_t count = 0;
        get(&count, 1);
        v.resize(count);
        get(v.data(), v.size());
    }
};

template <class Io, class Arrays> void each_array(Io& io, Arrays& a) {
    io.put_or_get(a.faces), io.put_or_get(a.view_vertices);
    io.put_or_get(a.vertex_normals), io.put_or_get(a.screen_faces);
}

// The same walk over the parts for packing and unpacking.
template <class Io, class State, class Balls> void each_part(Io& io, State& s, Balls& m) {
    io.put_or_get(s.depth);
    for (auto* a : {&s.ring, &s.mesh, &s.cloud, &s.solid, &s.grid})
        each_array(io, *a);
    io.put_or_get(m.field.blobs, kBlobCount);
    io.put_or_get(m.field.speeds, kBlobCount);
    io.put_or_get(m.field.grid, kGridPoints);
    io.put_or_get(&m.surface, 1);
    io.put_or_get(&m.environment_map, 1);
    io.put_or_get(m.seen_vertices);
}

struct Packing : Bytes {
    template <class... A> void put_or_get(const A&... a) { put(a...); }
};
struct Unpacking : Reader {
    template <class... A> void put_or_get(A&&... a) { get(a...); }
};

} // namespace

void SnapshotBuilder::keep_snapshot(const ShowLoop& loop) {
    ShowState state = save_show_state();
    // The working buffers are the builder's, so that the heap holds the
    // snapshots side by side instead of between freed buffers.
    Packing bytes;
    bytes.raw.swap(raw_);
    bytes.raw.clear();
    bytes.put(recorder_->lock(), static_cast<size_t>(kFramePixels));
    each_part(bytes, state, *state.balls);
    // Only the small parts stay as they are.
    state.depth = {};
    for (ObjectArrays* a : {&state.ring, &state.mesh, &state.cloud, &state.solid, &state.grid})
        *a = {}; // each its own empty arrays: a copy of empty ones would keep the room
    state.balls = nullptr;
    bytes.raw.resize((bytes.raw.size() + 3) / 4 * 4, 0); // whole words
    lanes_.resize(bytes.raw.size());
    byte_lanes(bytes.raw, lanes_);
    pack_bytes(lanes_, packed_);
    snapshots_.push_back({std::move(state), loop, recorder_->mark(), keep(packed_), lanes_.size()});
    raw_.swap(bytes.raw);
}

std::span<const uint8_t> SnapshotBuilder::keep(const std::vector<uint8_t>& packed) {
    if (packed.size() > store_size_ - store_used_) {
        store_size_ = std::max(kStoreBlock, packed.size());
        store_.push_back(std::make_unique<uint8_t[]>(store_size_));
        store_bytes_ += store_size_;
        store_used_ = 0;
    }
    uint8_t* at = store_.back().get() + store_used_;
    std::copy(packed.begin(), packed.end(), at);
    store_used_ += packed.size();
    return {at, packed.size()};
}

void unpack_snapshot(const ShowSnapshot& s, ShowState& state, uint32_t* frame) {
    std::vector<uint8_t> lanes(s.raw_size), raw(s.raw_size);
    const bool whole = unpack_bytes(s.packed, lanes);
    assert(whole && "a snapshot unpacks as it was packed");
    (void)whole;
    from_byte_lanes(lanes, raw);
    Unpacking bytes;
    bytes.raw = raw;
    bytes.get(frame, static_cast<size_t>(kFramePixels));
    state = s.state;
    auto balls = std::make_shared<Metaballs>();
    each_part(bytes, state, *balls);
    assert(raw.size() - bytes.at < 4); // what is left rounds up to a word
    state.balls = std::move(balls);
}

template <class Enough> void SnapshotBuilder::play(Enough&& enough) {
    if (done_) return;
    SwappedIn swapped(state_);
    NoDialogs dialogs;
    ShowPlatform p{*recorder_, *recorder_, dialogs, *recorder_, scenes_, {true, false}};
    if (!loop_) {
        loop_.emplace();
        keep_snapshot(*loop_);
    }
    while (!enough()) {
        if (loop_->step(p) == ShowLoop::Step::Ended) {
            done_ = true;
            return;
        }
        frames_ = recorder_->frames();
        if (frames_ % every_ == 0) keep_snapshot(*loop_);
    }
}

bool SnapshotBuilder::work(int64_t budget_ms) {
    const int64_t until = clock_ms() + budget_ms;
    const int64_t first = frames_;
    play([&] { return frames_ > first && clock_ms() >= until; });
    return !done_;
}

// A moment is met once its frame's time is played and the log holds the
// tick playing then (or the song is over).
bool SnapshotBuilder::met(SongPosition at) const {
    if (!at.timed()) return log_.first_of(at) >= 0;
    const int64_t frame = kReplayRate.first_frame_at(at.time_ms);
    if (frames_ < frame) return false;
    if (log_.complete) return true;
    const int64_t sample = kReplayRate.samples_after(frame);
    return log_.size() > 0 && log_[log_.size() - 1].start + log_[log_.size() - 1].frames > sample;
}

SnapshotBuilder::Reach SnapshotBuilder::reach(SongPosition at,
                                              const std::function<bool(int64_t)>& on_frame) {
    bool given_up = false;
    play([&] {
        if (met(at)) return true;
        given_up = on_frame && !on_frame(frames_);
        return given_up;
    });
    if (met(at)) return Reach::There;
    return given_up ? Reach::GivenUp : Reach::Never;
}

const ShowSnapshot& SnapshotBuilder::before(SongPosition at) const {
    if (at.timed()) { // the last snapshot at or before the moment's frame
        const int64_t frame = kReplayRate.first_frame_at(at.time_ms);
        const auto after =
            std::upper_bound(snapshots_.begin(), snapshots_.end(), frame,
                             [](int64_t f, const ShowSnapshot& s) { return f < s.mark.frames; });
        assert(after != snapshots_.begin()); // the first is at frame 0
        return *(after - 1);
    }
    const int64_t tick = log_.first_of(at);
    assert(tick >= 0 && !snapshots_.empty());
    // The first snapshot whose playback has played that tick, and the one before it.
    const auto after =
        std::upper_bound(snapshots_.begin(), snapshots_.end(), static_cast<size_t>(tick),
                         [](size_t t, const ShowSnapshot& s) { return t < s.mark.next_tick; });
    assert(after != snapshots_.begin()); // the first has played nothing
    return *(after - 1);
}
