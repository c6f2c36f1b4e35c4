// Recording the whole show (or a stretch of it) offline: no window, no sound
// device, no questions. The show starts up and runs its main loop exactly as
// live (run_show) on a Recorder, whose frames go to a video file or to PNG
// files with a WAV file.
//
//   check_record_target(path, error)  false with a reason in `error` for a
//                                     file name that is neither .mp4 nor .mkv
//   run_recording(request)            records, printing progress and one
//                                     summary line on standard error; runs
//                                     in the data folder (paths must be
//                                     absolute). The name asked for only
//                                     ever receives a complete recording
//                                     (record_files.h); a frames folder is
//                                     the run's own (frame_folder.h).
//                                     Returns the exit status: 0 when
//                                     complete; 128 + the signal's number
//                                     after Ctrl+C or SIGTERM (what was
//                                     recorded is kept as NAME.partial.EXT,
//                                     or nothing is left if no frame was);
//                                     1 when the output fails, the music
//                                     ends the show before its first frame,
//                                     the target is refused or the video
//                                     module cannot be loaded (nothing is
//                                     left behind); 2 for a position the
//                                     song lacks or --to not after --from; the live show's status
//                                     for a bad data file (nothing is left).
#pragma once
#include <optional>
#include <string>

#include "music/song_position.h"

#include "show/record_timing.h"

struct RecordRequest {
    std::string path;    // FILE.mp4 / FILE.mkv, or the folder for frames
    bool frames = false; // PNG frames and a WAV file into `path`
    FrameRate rate;
    int scale = 4;
    std::optional<PositionName> from, to;
    bool overwrite = false; // frames: remove an earlier recording's files in the folder
    bool gentle = false;    // the frames as --gentle shows them (show/gentle_sink.h)
};

bool check_record_target(const std::string& path, std::string& error);
int run_recording(const RecordRequest& request);
