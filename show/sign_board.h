// The signs the player puts up for its viewer (viewer_signs.h), kept here
// and handed to the display, which draws them over the picture only
// (Display::show_signs, redraw).
//
//   paused(on)          the pause sign up or down, shown at once
//   caption(text, now)  a caption for kCaptionMs: at once when `now` (no
//                       frame comes, as while paused), else with the next
//                       frame
//   progress(text)      a jump's progress ("getting to 3:27: 64 %"): shown
//                       at once over the picture last shown, at most five
//                       times a second
//   arrived()           the jump is there: the progress goes with the next
//                       picture
//   jumped(order, ms)   a jump landed at `order`, show time `ms`: its
//                       caption (jump_caption) is put up with the scene of
//                       the next frame drawn (drawn(scene)); while paused,
//                       caption_now(scene) puts it up for the picture the
//                       player presents next
#pragma once
#include <cstdint>
#include <string>

#include "show/platform.h"
#include "show/viewer_signs.h"

class SignBoard {
  public:
    explicit SignBoard(Display& d) : d_(d) {}

    void paused(bool on);
    void caption(std::string text, bool now);
    void progress(const std::string& text);
    void arrived();
    void jumped(int order, int64_t ms);
    void drawn(int scene);
    void caption_now(int scene);

  private:
    Display& d_;
    ViewerSigns signs_;
    int64_t progress_shown_ms_ = -1000; // wall clock
    bool caption_due_ = false;
    int jump_order_ = 0;
    int64_t jump_ms_ = 0;
};
