// The gentle mode in the web page: the page's "Gentle" switch turns it on
// and off, and each frame the player draws is shown through the gentle
// filter (safety/gentle_filter.h) while it is on. The filter works on a
// copy: the frame the scenes read back stays as drawn. It is timed by the
// page's clock as the frames are shown, at whatever rate the browser
// paints; a filter switched on starts afresh.
//
//   web_gentle(on)   on 1: the mode on, 0: off, -1: as it is. Returns how
//                    many frames shown since it came on the filter changed.
#include "web/gentle_entry.h"

#include <emscripten.h>

#include <memory>

#include "safety/gentle_filter.h"

namespace {
std::unique_ptr<GentleFilter> filter; // while the mode is on
} // namespace

const uint32_t* web_gentle_picture(const uint32_t* frame) {
    if (!filter) return frame;
    return filter->filter(frame, static_cast<int64_t>(emscripten_get_now() * 1000.0));
}

extern "C" int web_gentle(int on) {
    if (on == 0) filter.reset();
    if (on == 1 && !filter) filter = std::make_unique<GentleFilter>();
    return filter ? static_cast<int>(filter->frames() - filter->exact_frames()) : 0;
}
