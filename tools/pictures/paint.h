// Painting helpers shared by the picture painters (glowing text, keyed
// artwork, colour ramps) and the painters themselves. Coordinates are pixels.
#pragma once
#include <string>

#include "common/canvas.h"

// Add a glow of `m`: the mask itself in `core`, plus two blurred halos.
void glow(Canvas& c, const Mask& m, Rgb core, Rgb inner, float inner_sigma, Rgb outer,
          float outer_sigma, Edge edge = Edge::Zero);
// Hard-edged artwork for pictures keyed on black: where `alpha` >= 0.5 the
// pixel is `fill`, elsewhere exact black (no dark fringes, no holes).
void key_onto(Canvas& out, const Mask& alpha, const Canvas& fill);
// Smooth step from 0 at e0 to 1 at e1.
float smooth(float e0, float e1, float x);
// A vertical colour ramp filling a canvas between rows y0 and y1.
Canvas vertical_fill(int w, int h, int y0, int y1, const std::vector<RampStop>& stops);

// Writes a mock-up of the metaball scene (pictures read from `data`) as a
// PNG at `path`.
bool write_metaball_mockup(const std::string& data, const std::string& path);

// The painters.
Canvas paint_a1txt();
Canvas paint_a1light1();
Canvas paint_a1light2();
Canvas paint_mulptext();
Canvas paint_part1();
Canvas paint_part2();
Canvas paint_envmap3();
Canvas paint_backgr1();
Canvas paint_backgr3();
Canvas paint_backgr4();
Canvas paint_omla();
Canvas paint_qolonvrn();
Canvas paint_kjetweak();
Canvas paint_brisel();
Canvas paint_brisel2();
Canvas paint_envmap();
Canvas paint_greets1();
Canvas paint_greets2();
Canvas paint_greets3();
Canvas paint_greets4();
Canvas paint_qol();
Canvas paint_scroll();
