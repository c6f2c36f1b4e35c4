// Storage for the screen-size globals and the tick counter.
#include "core/screen.h"

int32_t screen_width = kFrameWidth;
int32_t screen_height = kFrameHeight;
int32_t tick_counter = 0;
