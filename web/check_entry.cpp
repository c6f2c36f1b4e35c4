// The check of "your files" in the web page: the same findings as the
// program's `vorn --check`, for the files the next show would read (the
// viewer's over the show's own), handed in from the page's memory. The page
// shows them before it plays the files.
//
//   web_check_add(name, bytes, size)  the file `name` (UTF-8, ending in a
//                                     zero byte) holds these bytes; copied
//   web_check_run()                   judges the files added since the last
//                                     run and forgets them; returns the
//                                     report as JSON (report_json), ending in
//                                     a zero byte, kept until the next run
#include <cstdint>
#include <string>

#include "check/check_files.h"
#include "check/check_report.h"
#include "check/data_check.h"

namespace {
FileBytes files;    // added for the next run
std::string report; // the last run's JSON
} // namespace

extern "C" void web_check_add(const char* name, const uint8_t* bytes, int size) {
    files[name].assign(bytes, bytes + (size > 0 ? size : 0));
}

extern "C" const char* web_check_run() {
    CheckReport r;
    r.folder = "your files";
    r.findings = check_data_files(files_in_memory(files));
    r.findings.push_back({Level::note, "flashes",
                          "not judged here: switch on Gentle under the picture to tone down "
                          "what flashes too much"});
    files.clear();
    report = report_json(r);
    return report.c_str();
}
