// The show's data files judged as the scenes will load them, without ending
// the program for a broken one: for each picture and object, whether it is
// there and loads (the loader's own words when not), and warnings where it
// loads but will look wrong; then the music (module_check.h).
#pragma once
#include <vector>

#include "check/check_files.h"
#include "check/check_report.h"

// One finding or more per picture and object of show_files(), in its order.
std::vector<Finding> check_pictures_and_objects(const CheckFiles& files);
// Those, then the findings for the music.
std::vector<Finding> check_data_files(const CheckFiles& files);
