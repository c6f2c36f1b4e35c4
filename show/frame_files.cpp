// Numbered PNG frames and a WAV file (see frame_files.h).
#include "show/frame_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/screen.h"
#include "show/png_write.h"
#include "show/record_timing.h"

namespace {

void put_le(uint8_t* p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A canonical 44-byte PCM header for `data_bytes` of 16-bit stereo samples.
void wav_header(uint8_t* h, uint32_t data_bytes) {
    std::memcpy(h, "RIFF", 4);
    put_le(h + 4, 36 + data_bytes, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put_le(h + 16, 16, 4);
    put_le(h + 20, 1, 2); // PCM
    put_le(h + 22, 2, 2); // channels
    put_le(h + 24, static_cast<uint32_t>(kRecordRate), 4);
    put_le(h + 28, static_cast<uint32_t>(kRecordRate) * 4, 4);
    put_le(h + 32, 4, 2);
    put_le(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    put_le(h + 40, data_bytes, 4);
}

} // namespace

std::string FrameFiles::frame_name(int64_t n) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(n));
    return name;
}

void FrameFiles::fail(const std::string& file, const std::string& cause) {
    throw RecordError("cannot write " + file + ": " + cause);
}

// Rewrites the header for the sound written so far; the write position
// stays at the end.
void FrameFiles::write_wav_header() {
    uint8_t header[44];
    wav_header(header, static_cast<uint32_t>(sound_bytes_));
    if (std::fseek(sound_, 0, SEEK_SET) != 0 ||
        std::fwrite(header, 1, sizeof header, sound_) != sizeof header ||
        std::fseek(sound_, 0, SEEK_END) != 0 || std::fflush(sound_) != 0)
        fail(wav_, std::strerror(errno));
    header_at_ = sound_bytes_;
}

void FrameFiles::open() {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder_, ec)) fail(folder_, "the folder does not exist");
    wav_ = (std::filesystem::path(folder_) / "sound.wav").string();
    sound_ = std::fopen(wav_.c_str(), "wb");
    if (!sound_) fail(wav_, std::strerror(errno));
    uint8_t header[44];
    wav_header(header, 0);
    if (std::fwrite(header, 1, sizeof header, sound_) != sizeof header)
        fail(wav_, std::strerror(errno));
    scaled_.resize(static_cast<size_t>(kFramePixels) * static_cast<size_t>(scale_ * scale_));
}

void FrameFiles::video(const uint32_t* frame) {
    if (!sound_) fail(folder_, "the output is not open");
    scale_frame(frame, scale_, scaled_.data());
    const std::string name = (std::filesystem::path(folder_) / frame_name(frames_)).string();
    const std::string part = name + ".part";
    std::string error;
    if (!write_png_rgb(part, scaled_.data(), kFrameWidth * scale_, kFrameHeight * scale_, error))
        fail(name, error);
    ++frames_; // from here on abandon() removes it, under either name
    if (std::rename(part.c_str(), name.c_str()) != 0) fail(name, std::strerror(errno));
}

void FrameFiles::audio(const int16_t* samples, size_t frames) {
    if (!sound_) fail(folder_, "the output is not open");
    uint8_t bytes[4096];
    for (size_t i = 0; i < frames * 2;) {
        size_t n = 0;
        for (; n < sizeof bytes && i < frames * 2; n += 2, ++i)
            put_le(bytes + n, static_cast<uint16_t>(samples[i]), 2);
        if (std::fwrite(bytes, 1, n, sound_) != n) fail(wav_, std::strerror(errno));
        sound_bytes_ += n;
    }
    if (sound_bytes_ > 0xffffffffull - 36) fail(wav_, "the sound is too long for a WAV file");
    constexpr uint64_t kHeaderEvery = 2 * kRecordRate * 4; // two seconds of 16-bit stereo
    if (sound_bytes_ - header_at_ >= kHeaderEvery) write_wav_header();
}

void FrameFiles::finish() {
    if (!sound_) fail(folder_, "the output is not open");
    write_wav_header();
    const int closed = std::fclose(sound_);
    sound_ = nullptr;
    if (closed != 0) fail(wav_, std::strerror(errno));
    finished_ = true;
}

void FrameFiles::remove_written() {
    if (sound_) std::fclose(sound_);
    sound_ = nullptr;
    if (wav_.empty()) return;
    std::remove(wav_.c_str());
    for (int64_t n = 0; n <= frames_; ++n) {
        const std::string name = (std::filesystem::path(folder_) / frame_name(n)).string();
        std::remove(name.c_str());
        std::remove((name + ".part").c_str());
    }
    wav_.clear();
}

void FrameFiles::abandon() {
    if (finished_) return;
    remove_written();
}

void FrameFiles::discard() {
    remove_written();
    finished_ = false;
}
