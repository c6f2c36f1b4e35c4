// The gentle mode in the web page (see gentle_entry.cpp): the picture the
// page shows for a frame the player drew.
#pragma once
#include <cstdint>

// The frame itself while the mode is off, else the gentle filter's picture
// for it (safety/gentle_filter.h), timed by the page's clock.
const uint32_t* web_gentle_picture(const uint32_t* frame);
