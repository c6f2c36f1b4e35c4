// The show: start-up, the main loop over the scenes, and shutdown.
//
// run_show() asks the two questions (unless answered in advance), starts the
// music, builds the tables, sets up the scenes, opens the display, starts the
// music playing and renders the scene the music selects until a key is
// pressed or the music selects scene 31. It returns the exit code: 0 after a
// normal end, 1 after a display error, -1 after a music failure (the scenes'
// loaders end the process themselves on a bad file).
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/sync.h"
#include "scenes/scenes.h"
#include "show/frame_pacer.h"
#include "show/platform.h"

struct FileRead;  // assets/file_bytes.h
class ShowPlayer; // show/show_player.h

struct ShowAnswers {
    std::optional<bool> auto_sound; // the first question, answered by an option
    std::optional<bool> fullscreen; // the second question
};

// How the viewer's player starts (show_player.h).
struct PlayerSettings {
    bool loop = false;             // start again from the beginning at the end
    std::string save_folder = "."; // where a saved frame goes
    // Saves the frame on screen (SaveFrame) into the folder; null: not offered.
    void (*save_frame)(const uint32_t* frame, const std::string& folder) = nullptr;
    // Wall time (ms) given after each frame, and while paused, to making the
    // snapshots that make jumps quick (snapshots.h); 0: they are made only
    // as far as a jump needs them, when it needs them.
    int snapshot_ms = 0;
    // Wall time (ms) a jump plays for at a time, between which run_once()
    // returns without a frame (the page, whose main thread must not stall);
    // 0: a jump is played to its end at once.
    int jump_slice_ms = 0;
    // Called by run_show() after each pass of the player (the live show's
    // watch of its data folder); null: nothing.
    std::function<void(ShowPlayer&)> between_frames = nullptr;
};

// Saving the show's carried state as set-up leaves it, and putting it back
// (scenes/show_state.h): what a player needs to seek and to loop. Left null,
// the show plays straight through.
struct StartState {
    void (*remember)() = nullptr;
    void (*restore)() = nullptr;
};

struct ShowPlatform {
    Display& display;
    Music& music;
    Dialogs& dialogs;
    Clock& clock;
    const std::array<SceneOps, kSceneCount>& scenes;
    ShowAnswers answers;
    // Where the show starts: the song's first row, or a later one it reaches by
    // playing the show from the start without output (replay.h), so that
    // it starts there in exactly the state the whole show has there; the
    // module file, as read, for that replay.
    SongPosition start = {};
    std::shared_ptr<const FileRead> module_file = nullptr;
    // Paces frames where vsync does not hold and keeps the statistics; optional.
    FramePacer* pacer = nullptr;
    PlayerSettings player = {};
    StartState start_state = {};
};

extern const char* const kSoundQuestion;
extern const char* const kSoundCaption;
extern const char* const kScreenQuestion;
extern const char* const kScreenCaption;
extern const char* const kMusicFailure;

int run_show(ShowPlatform& p);

// The main loop alone, from the first key test to the last frame.
void run_main_loop(ShowPlatform& p);
