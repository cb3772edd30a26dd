#pragma once

#include <QPoint>

#include <vector>

namespace besedka {

class Random;

// The screen positions (left, top) of one window shake: 125 to 250 moves, each
// coordinate from 95 to 105, drawn in the order count, then left and top of
// each move. The caller re-seeds the generator first.
std::vector<QPoint> drawShakePositions(Random& random);

} // namespace besedka
