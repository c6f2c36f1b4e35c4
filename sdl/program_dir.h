// The folder of the running executable (SDL's base path), or "" if it cannot
// be found: where the program looks for its data and video module.
#pragma once
#include <string>

std::string program_dir();
