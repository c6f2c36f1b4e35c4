// The show's own texts on standard output.
//
// The show's texts (loading progress, its messages) are code page 437 bytes:
// "\x94" is the letter ö. Written as they are, a UTF-8 terminal shows them
// garbled, so a terminal that reads UTF-8 gets the same letters in UTF-8;
// anything else (a pipe, a file, a log) gets the bytes unchanged, which
// scripts and tests rely on.
//
//   set_show_text_utf8(on)   whether print_show_text converts (default: no);
//                            the program decides once at start-up
//   print_show_text(text)    writes the text to standard output
//   cp437_to_utf8(text)      the conversion itself: bytes below 0x80 stay,
//                            each byte from 0x80 up becomes its letter's
//                            UTF-8 sequence
#pragma once
#include <string>
#include <string_view>

void set_show_text_utf8(bool on);
void print_show_text(std::string_view text);
std::string cp437_to_utf8(std::string_view text);
