// Degrees to radians with 3.14159256, a value slightly off pi, as scenes 1, 3
// and 4 and the rotating fill turn them: every angle, and so every frame,
// depends on it.
#pragma once

constexpr double kPi = 3.14159256;
