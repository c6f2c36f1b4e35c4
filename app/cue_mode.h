// The cue sheet modes: `vorn --cues CUES.txt --module IN.xm --out OUT.xm`
// writes a cue sheet's W commands into a copy of a module, and
// `vorn --cues-from IN.xm` prints a module's W commands as a cue sheet
// (cue_sheet.h has the format). Both return the program's exit status.
#pragma once
#include <string>

int write_cue_sheet(const std::string& sheet_path, const std::string& module_path,
                    const std::string& out_path);
int print_cue_sheet(const std::string& module_path);
