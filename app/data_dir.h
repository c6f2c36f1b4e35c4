// Finding the folder the data files are read from: --data DIR if given; else
// the working folder if it holds vorn.xm; else, for the program in the build
// folder, the build's data folder; else the folder installed beside the
// program (VORN_DATA_FROM_BIN from the program's folder: ../share/vorn, or
// ../share/games/vorn as the Debian package lays it out). An installed
// program never reads the build folder. The show then works in that folder,
// so the loaders' fixed file names resolve there.
#pragma once
#include <string>

// The folder to use ("" = stay in the working folder). `program_dir` is the
// folder of the running executable ("" if unknown).
std::string choose_data_dir(const std::string& requested, const std::string& program_dir);
// Changes into `dir`; false with a message in `error` if that fails.
bool enter_data_dir(const std::string& dir, std::string& error);
