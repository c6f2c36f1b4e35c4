// Degrees to radians as the scenes have always done it: with 3.14159256, a
// value slightly off pi. Angles, and so every frame, depend on it.
#pragma once

constexpr double kPi = 3.14159256;
