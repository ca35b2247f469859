#include "tools/board_read_back.h"

namespace z2e {

void BoardReadBack::read(QorinNodeUtilWrapper& wrapper, std::uint32_t board)
{
    if (wrapper.getBoardKey(board, key) >= 1)
        key.clear();
    propertiesResult = wrapper.getBoardProperties(board, properties);
    if (propertiesResult >= 1)
        properties.clear();
    identity = BoardIdentity::fromProperties(board, properties);
    identity.readPlace(wrapper);
}

std::string BoardReadBack::failure() const
{
    return "read-back failed: the board's properties could not be read (" + std::to_string(propertiesResult) + ")";
}

} // namespace z2e
