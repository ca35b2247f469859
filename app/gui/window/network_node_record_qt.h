#pragma once
// The network node record for Qt code: Qt's "slots" keyword macro would otherwise rewrite the
// record's field of that name.

#pragma push_macro("slots")
#undef slots
#include "core/network_node_record.h"
#pragma pop_macro("slots")
