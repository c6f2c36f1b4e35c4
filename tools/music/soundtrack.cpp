// The show's soundtrack: composes vorn.xm and writes it, and prints its sync
// timeline (times in seconds from the start of the song).
#include "generator.h"

#include "common/file_write.h"
#include "music/composition.h"
#include "music/xm_writer.h"

#include <cstdio>
#include <exception>

bool write_soundtrack(const std::string& dir) {
    std::string path = dir + "/vorn.xm";
    std::vector<uint8_t> bytes;
    try {
        bytes = xm::write_xm(music::compose().module);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorn-gen: cannot build the soundtrack: %s\n", e.what());
        return false;
    }
    return write_file(path, bytes);
}

void print_timeline(std::FILE* out) {
    music::Song song = music::compose();
    std::fprintf(out, "order row    time  value  meaning\n");
    for (const music::SyncPoint& p : song.sync)
        std::fprintf(out, "%5d %3d %7.2f  %5d  %s\n", p.order, p.row,
                     music::sync_time(song.module, p.order, p.row), p.value,
                     music::sync_meaning(p.value, p.scene).c_str());
}
