// Taking changed data files into the running show (--watch): the files are
// checked first with the loaders reporting instead of ending the program,
// and only when every one loads are the scenes set up again with them, so a
// broken or half-written file never tears the show down.
//
//   reload_data(player, changed, put_module)
//       `changed`: the names of the files that changed (DataWatch). A
//       changed picture or object: all of them are loaded once as a trial;
//       a changed module: it is loaded and started as a trial, then handed
//       to put_module(file, error), which puts it into the music playing.
//       Anything refused is named on standard error with its reason, and
//       the show goes on as it was. Otherwise the scenes are released and
//       set up again (ShowPlayer::reload), going on at the same moment.
//       True when the show took the files.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assets/file_bytes.h"
#include "show/show_player.h"

using PutModule = std::function<bool(std::shared_ptr<const FileRead> file, std::string& error)>;

bool reload_data(ShowPlayer& player, const std::vector<std::string>& changed,
                 const PutModule& put_module);
