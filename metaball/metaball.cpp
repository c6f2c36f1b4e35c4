// The metaball renderer used by scene 6 (not built yet).
#include "metaball/metaball.h"
