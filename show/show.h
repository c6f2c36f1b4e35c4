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
#include <optional>

#include "core/sync.h"
#include "scenes/scenes.h"
#include "show/frame_pacer.h"
#include "show/platform.h"

struct ShowAnswers {
    std::optional<bool> auto_sound; // the first question, answered by an option
    std::optional<bool> fullscreen; // the second question
};

struct ShowPlatform {
    Display& display;
    Music& music;
    Dialogs& dialogs;
    Clock& clock;
    const std::array<SceneOps, kSceneCount>& scenes;
    ShowAnswers answers;
    // The sync state to start from when the music starts at a later order
    // position (see sync_state_at_order); none: from the beginning.
    std::optional<SyncSnapshot> start_state = {};
    // Paces frames where vsync does not hold and keeps the statistics; optional.
    FramePacer* pacer = nullptr;
};

extern const char* const kSoundQuestion;
extern const char* const kSoundCaption;
extern const char* const kScreenQuestion;
extern const char* const kScreenCaption;
extern const char* const kMusicFailure;

int run_show(ShowPlatform& p);

// The main loop alone, from the first key test to the last frame.
void run_main_loop(ShowPlatform& p);
