// `vorn --check [--json]`: judges the data folder the show would play (the
// working folder by then) and prints the findings; status 0 when the show
// will play, 1 when it will not.
#pragma once

int run_check(bool json);
