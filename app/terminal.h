// What the program writes to: whether a stream is a terminal, and whether
// the user's locale reads UTF-8 (LC_ALL, else LC_CTYPE, else LANG, as the C
// library picks them; the program's own locale stays "C").
#pragma once
#include <cstdio>

bool is_terminal(std::FILE* stream);
bool locale_reads_utf8();
