// What the recording tests share: a scratch folder per test, a data folder
// of the generated pictures and objects with a test module as the music, a
// short module that drives the scenes, the program run in a folder, and a
// display that keeps a checksum of each frame shown.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "command_output.h"
#include "file_support.h"
#include "show/platform.h"
#include "test_support.h"
#include "xm_builder.h"

namespace record_test {

namespace fs = std::filesystem;

constexpr uint8_t W = 0x20; // the sync command's effect type

inline fs::path scratch(const std::string& name) {
    fs::path d = fs::path(VORN_TEST_BINARY_DIR) / "test-scratch" / name;
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

// Speed 3 at 125 BPM: a row is 60 ms, 2880 sample frames at 48 kHz; an
// 8-row pattern 0.48 s. A note sounds at the start of every pattern. Pattern
// p selects scene p % 8 and raises flags on the way; W 31 sits on the last
// row of the last pattern (unless `endless`).
inline XmTestModule module(int patterns, bool endless = false) {
    XmTestModule m;
    m.speed = 3;
    m.with_instrument = true;
    for (int p = 0; p < patterns; ++p) {
        m.orders.push_back(static_cast<uint8_t>(m.add_pattern(8)));
        m.cell(p, 0, 0) = {49, 1, 0, 0, 0};
        m.cell(p, 0, 3) = {0, 0, 0, W, static_cast<uint8_t>(p % 8)};
        m.cell(p, 2, 3) = {0, 0, 0, W, 32};
        m.cell(p, 3, 3) = {0, 0, 0, W, 35};
        m.cell(p, 4, 3) = {0, 0, 0, W, 37};
    }
    if (!endless) m.cell(patterns - 1, 7, 3) = {0, 0, 0, W, 31};
    return m;
}

inline std::string vorn() {
    return std::string("'") + VORN_BINARY + "'";
}

// The generated pictures and objects with `m` as the music.
inline fs::path show_dir(const std::string& name, const XmTestModule& m) {
    fs::path d = scratch(name);
    for (const auto& e : fs::directory_iterator(VORN_TEST_DATA_DIR))
        if (e.path().extension() == ".pcx" || e.path().extension() == ".lwo")
            fs::copy_file(e.path(), d / e.path().filename());
    write_file(d / "vorn.xm", m.bytes());
    return d;
}

// vorn --data . OPTIONS in `dir`; standard error is the output.
inline CommandResult record(const fs::path& dir, const std::string& options) {
    return run_command("cd '" + dir.string() + "' && " + vorn() + " --data . " + options +
                       " 2>&1 >/dev/null");
}

// A display over another (a recorder's) that keeps each presented frame's
// checksum in `sums` and hands everything else on; tests add the controls.
struct SummedDisplay : Display {
    Display& under;
    std::vector<uint32_t> sums;
    explicit SummedDisplay(Display& d) : under(d) {}
    void open(const char* t, bool f) override { under.open(t, f); }
    uint32_t* lock() override { return under.lock(); }
    void present() override {
        sums.push_back(frame_checksum(under.lock()));
        under.present();
    }
    void unlock() override { under.unlock(); }
    void close() override { under.close(); }
    void destroy() override { under.destroy(); }
};

} // namespace record_test
