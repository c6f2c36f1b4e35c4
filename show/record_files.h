// Where a recording's video file lives while it is written, and how it gets
// to the name the user asked for. The final name only ever holds a complete
// recording:
//
//   working_name(final, pid)     the file a run writes: "show.4711.part.mp4"
//                                beside "show.mp4", unique per process, so
//                                two runs never write one file
//   stopped_name(final, n)       where a stopped recording is kept:
//                                "show.partial.mp4", then "show.partial-2.mp4",
//                                ... (n = 1, 2, ...); never a name the user
//                                asked for
//   move_replacing(from, to)     atomic rename; an earlier `to` is replaced
//   move_keeping(from, to)       atomic rename that never replaces: Exists
//                                when `to` is there already
//   find_leftovers(final)        working files of this final name (and the
//                                copies finish() makes of them) left by runs
//                                that are no longer running (kill -9, a power
//                                cut), and those of runs still going
//   fragments_in(path)           how many whole movie fragments an MP4
//                                working file holds (each a second or more of
//                                the show, playable on its own); for a
//                                Matroska file 1 when it holds a cluster
//
// Errors come back as one line naming the file and the cause.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::string working_name(const std::string& final_path, long pid);
std::string stopped_name(const std::string& final_path, int n);

bool move_replacing(const std::string& from, const std::string& to, std::string& error);
enum class MoveResult { Moved, Exists, Failed };
MoveResult move_keeping(const std::string& from, const std::string& to, std::string& error);

struct Leftover {
    std::string path;
    long pid = 0;
    uintmax_t bytes = 0;
    bool running = false; // the run that writes it is still going
    bool copy = false;    // "NAME.indexing": a copy cut short while its index was moved
};
std::vector<Leftover> find_leftovers(const std::string& final_path);

// Complete fragments (moof followed by its whole mdat) of a fragmented MP4;
// for a Matroska file 1 when a whole cluster header is there, else 0.
int fragments_in(const std::string& path);

long this_process();
