// The music of a data folder judged for the show, without playing it: its
// length, the scenes it selects and when, for each scene the flags raised
// while it plays and whether it reads them (and those it reads that never
// come), values that do nothing, and whether and when the show ends. The
// working folder is the data folder.
#pragma once
#include <cstdint>
#include <vector>

#include "app/check_report.h"

// The findings for vorn.xm in the working folder.
std::vector<Finding> check_module();

// The same for a module already read (and known to load).
std::vector<Finding> check_module_bytes(const std::vector<uint8_t>& module);
