// The pictures and objects of a data folder judged as the scenes will load
// them, without ending the program for a broken one: for each, whether it is
// there and loads (the loader's own words when not), and warnings where it
// loads but will look wrong. The working folder is the data folder.
#pragma once
#include <vector>

#include "app/check_report.h"

// One finding or more per picture and object of show_files(), in its order.
std::vector<Finding> check_pictures_and_objects();
