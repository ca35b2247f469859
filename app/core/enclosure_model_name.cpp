#include "core/enclosure_model_name.h"

namespace z2e {

bool EnclosureModelName::isHostComputer(const std::string& name)
{
    return name.find("Host PC") != std::string::npos;
}

bool EnclosureModelName::isNetworkNode(const std::string& name)
{
    return name.find("QORINet") != std::string::npos;
}

} // namespace z2e
