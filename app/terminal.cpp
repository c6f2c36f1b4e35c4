// Terminal and locale checks (see terminal.h).
#include "app/terminal.h"

#include <cctype>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool is_terminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

bool locale_reads_utf8() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == 0) continue;
        // The first one set decides: "en_GB.UTF-8", "sv_SE.utf8", "C.UTF-8".
        std::string v;
        for (const char* c = value; *c; ++c)
            if (*c != '-') v += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        return v.find("utf8") != std::string::npos;
    }
    return false;
}
