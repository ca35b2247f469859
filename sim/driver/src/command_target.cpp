#include "command_target.h"

#include <cctype>

#include "xml_util.h"

namespace zmpxi_sim {
namespace {

bool indexedTarget(const std::string& target, const char* prefix, int& index, std::string& suffix)
{
    const std::size_t length = std::char_traits<char>::length(prefix);
    if (target.size() <= length || !xml_util::equalsNoCase(target.substr(0, length), prefix))
        return false;
    std::size_t pos = length;
    long long value = 0;
    while (pos < target.size() && std::isdigit(static_cast<unsigned char>(target[pos]))) {
        value = value * 10 + (target[pos] - '0');
        if (value > 1000000)
            return false;
        ++pos;
    }
    if (pos == length || (pos < target.size() && target[pos] != '/'))
        return false;
    index = static_cast<int>(value);
    suffix = pos < target.size() ? target.substr(pos + 1) : std::string();
    return true;
}

} // namespace

CommandTarget CommandTarget::parse(const std::string& target)
{
    CommandTarget parsed;
    parsed.text = target;
    if (indexedTarget(target, "BoardID", parsed.index, parsed.suffix)) {
        parsed.kind = Kind::Board;
    } else if (indexedTarget(target, "EnclosureId", parsed.index, parsed.suffix)) {
        parsed.kind = Kind::Enclosure;
    } else if (!target.empty()) {
        parsed.kind = Kind::Fixed;
    }
    return parsed;
}

} // namespace zmpxi_sim
