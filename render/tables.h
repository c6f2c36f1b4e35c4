// The four lookup tables that replace trigonometry, multiplication, division
// and square roots in the per-pixel loops. build_lookup_tables() fills them
// once at start (sine, shade, square, root, in that order); afterwards they
// are read-only.
//
//   sine_table[i]          trunc(sin(i * 6.283184 / 65535) * 32767), i = 0..65535
//                          (a "full turn" is 65535 steps; extremes are +-32766)
//   shade_table[c*256 + l] colour component c at light level l: l < 128 scales
//                          c toward black (c*l/128), l >= 128 moves it toward
//                          white (c + (255-c)*(l-128)/128); l = 128 keeps c
//   square_table[i]        i * i, i = 0..6399
//   root_table[i]          trunc(sqrt(i)), i = 0..127999
#pragma once
#include <cstdint>

constexpr int kSineSize = 65536;
constexpr int kShadeSize = 65536;
constexpr int kSquareSize = 6400;
constexpr int kRootSize = 128000;

extern int16_t sine_table[kSineSize];
extern uint8_t shade_table[kShadeSize];
extern int32_t square_table[kSquareSize];
extern int32_t root_table[kRootSize];

void build_lookup_tables();
