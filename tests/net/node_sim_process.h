#pragma once
// The window tests' old name for the support library's node simulator; goes when they move
// onto tests/support.

#include "support/node_sim.h"

namespace net_test {
using z2e::test::NodeSimProcess;
}
