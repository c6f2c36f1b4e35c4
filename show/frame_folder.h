// The folder a `--frames` recording writes into, owned by that run alone.
//
//   claim(dir, overwrite, error)  creates `dir` (only its last component: a
//                                 missing parent is refused) or takes an
//                                 existing empty folder it may write into
//                                 (one it may not is refused). A folder that holds
//                                 anything is refused with the reason, unless
//                                 `overwrite`: then the files of an earlier
//                                 recording (frame_NNNNNN.png, its .part
//                                 twins and sound.wav) are removed first and
//                                 anything else is left alone. The folder
//                                 stays locked until release(), so a second
//                                 run into it is refused (the lock goes with
//                                 the process, also on kill -9).
//   created()                     true when claim() made the folder
//   release(remove_if_empty)      unlocks; with `remove_if_empty`, a folder
//                                 this run created and left empty is removed
//
// is_frame_recording_file(name) tells the file names an earlier recording
// leaves.
#pragma once
#include <string>

bool is_frame_recording_file(const std::string& name);

class FrameFolder {
  public:
    FrameFolder() = default;
    ~FrameFolder() { release(false); }
    FrameFolder(const FrameFolder&) = delete;
    FrameFolder& operator=(const FrameFolder&) = delete;

    bool claim(const std::string& dir, bool overwrite, std::string& error);
    bool created() const { return created_; }
    void release(bool remove_if_empty);

  private:
    std::string dir_;
    int lock_ = -1;
    bool created_ = false;
};
