#include "chat/window_shake.h"

#include "talk/random.h"

namespace besedka {

std::vector<QPoint> drawShakePositions(Random& random) {
    const int moves = random.range(125, 250);
    std::vector<QPoint> positions;
    positions.reserve(static_cast<std::size_t>(moves));
    for (int i = 0; i < moves; ++i) {
        const int left = random.range(95, 105);
        const int top = random.range(95, 105);
        positions.emplace_back(left, top);
    }
    return positions;
}

} // namespace besedka
