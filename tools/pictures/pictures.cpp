// The show's pictures (not drawn yet).
#include "generator.h"

bool write_pictures(const std::string& dir, const std::string& previews) {
    (void)dir;
    (void)previews;
    return true;
}
