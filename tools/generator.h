// The asset generator's parts. Each writes its files into `dir` (which
// exists) and returns false after printing a message on failure. Everything
// is deterministic: the same bytes on every run and every machine.
#pragma once
#include <cstdio>
#include <string>

// The 22 PCX pictures; also a contact sheet PNG into `previews` when it is not empty.
bool write_pictures(const std::string& dir, const std::string& previews);
// The 5 LightWave objects; also a preview PNG of each into `previews` when it is not empty.
bool write_objects(const std::string& dir, const std::string& previews);
// The program's icon as PNG at 48, 128 and 256 pixels, in the hicolor
// theme's layout under `dir` (hicolor/NxN/apps/vorn.png).
bool write_icons(const std::string& dir);
// vorn.xm, the soundtrack with its sync commands.
bool write_soundtrack(const std::string& dir);
// The soundtrack's sync timeline: order, row, time in seconds, value, meaning.
void print_timeline(std::FILE* out);
