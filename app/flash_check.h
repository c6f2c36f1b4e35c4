// The flash check mode (vorn --flash-check): the show played without
// output, exactly as a recording plays it, and every frame counted against
// the flash rules (safety/flash_check.h); with --gentle, the frames the
// gentle mode shows instead.
//
//   run_flash_check(request)  prints each second that breaks a rule (its
//                             time, scene and worst count) on standard
//                             output, then one summary line; runs in the
//                             data folder. Returns the exit status: 0 when
//                             no second breaks a rule, 1 when one does,
//                             128 + the signal's number after Ctrl+C or
//                             SIGTERM, the live show's status for a bad
//                             data file.
#pragma once
#include "show/record_timing.h"

struct FlashCheckRequest {
    FrameRate rate;      // frames per second the show is played at
    bool gentle = false; // check what --gentle shows
};

int run_flash_check(const FlashCheckRequest& request);
