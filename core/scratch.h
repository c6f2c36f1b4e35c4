// Working space owned by the state it serves but never carried from one call
// to the next: each call writes what it reads before reading it. A copy of
// the owner starts without it (so snapshots of the show's state stay small
// and nothing can pass from one frame to another through it), and it is
// made at its first use, then kept, so that a frame allocates nothing.
//
//   Scratch<T> s;   s.get() is a T, value-initialised at the first call
#pragma once
#include <memory>

template <class T> class Scratch {
  public:
    Scratch() = default;
    Scratch(const Scratch&) {}
    Scratch& operator=(const Scratch&) { return *this; }
    Scratch(Scratch&&) noexcept = default;
    Scratch& operator=(Scratch&&) noexcept = default;

    T& get() {
        if (!value_) value_ = std::make_unique<T>();
        return *value_;
    }

  private:
    std::unique_ptr<T> value_;
};
