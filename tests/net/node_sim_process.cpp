// Nothing of its own: tests/gui/CMakeLists.txt still names this file.
#include "node_sim_process.h"
