// Saving the frame on screen as the next free vorn-frame-NNNN.png (0001 to
// 9999) in a folder, 320 x 240, for the live show's SaveFrame control. It
// says on standard error where the file went, or why it could not be
// written; an existing file is never replaced.
#pragma once
#include <cstdint>
#include <string>

void save_numbered_frame(const uint32_t* frame, const std::string& folder);
