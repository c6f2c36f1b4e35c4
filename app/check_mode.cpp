// The --check mode (see check_mode.h).
#include "app/check_mode.h"

#include <cstdio>
#include <filesystem>

#include "app/exit_status.h"
#include "check/check_report.h"
#include "check/data_check.h"

int run_check(bool json) {
    CheckReport report;
    std::error_code ec;
    report.folder = std::filesystem::current_path(ec).string();
    report.findings = check_data_files(working_folder_files());
    report.findings.push_back({Level::note, "flashes",
                               "not judged here: vorn --flash-check lists the seconds that "
                               "flash too much"});
    const std::string text = json ? report_json(report) : report_text(report);
    std::fputs(text.c_str(), stdout);
    return report.plays() ? kExitDone : kExitFailed;
}
