// Play time of each scene in a module (see show_weights.cpp); all zero when
// the module cannot be read.
#pragma once
#include <array>
#include <string>

#include "scenes/scenes.h"

std::array<double, kSceneCount> scene_play_ms(const std::string& module_path);
