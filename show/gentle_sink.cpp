// A recording's frames through the gentle filter (see gentle_sink.h).
#include "show/gentle_sink.h"

const uint32_t* GentleSink::next(const uint32_t* frame) {
    return filter_.filter(frame, frame_time_us(rate_, frames_++));
}
