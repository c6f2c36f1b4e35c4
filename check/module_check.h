// The music of the show's data files judged, without playing it: its
// length, the scenes it selects and when, for each scene the flags raised
// while it plays and whether it reads them (and those it reads that never
// come), values that do nothing, and whether and when the show ends.
#pragma once
#include <cstdint>
#include <vector>

#include "check/check_files.h"
#include "check/check_report.h"

// The findings for vorn.xm of `files`.
std::vector<Finding> check_module(const CheckFiles& files);

// The same for a module already read (and known to load).
std::vector<Finding> check_module_bytes(const std::vector<uint8_t>& module);
