// Finding the folder the data files are read from: --data DIR if given; else
// the working folder if it holds vorn.xm; else the build's data folder; else
// the installed one. The show then works in that folder, so the loaders'
// fixed file names resolve there.
#pragma once
#include <string>

// The folder to use ("" = stay in the working folder).
std::string choose_data_dir(const std::string& requested);
// Changes into `dir`; false with a message in `error` if that fails.
bool enter_data_dir(const std::string& dir, std::string& error);
