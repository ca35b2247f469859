#include "tools/board_read_back.h"

namespace z2e {

void BoardReadBack::read(QorinNodeUtilWrapper& wrapper, std::uint32_t board)
{
    if (wrapper.getBoardKey(board, key) >= 1)
        key.clear();
    if (wrapper.getBoardProperties(board, properties) >= 1)
        properties.clear();
    identity = BoardIdentity::fromProperties(board, properties);
}

} // namespace z2e
