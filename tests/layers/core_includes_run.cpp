// Must not build: the core layer cannot see the run layer above it.
#include "run/run_driver.h"
