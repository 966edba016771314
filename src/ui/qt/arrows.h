// The pictures of the move pad and the rotate buttons, drawn rather than loaded from files.
#pragma once

#include <QIcon>

namespace zorvan::qt {

// A straight arrow pointing `degrees` counter-clockwise from the right.
QIcon ArrowIcon(double degrees);
// A curved arrow turning counter-clockwise or clockwise.
QIcon RotateIcon(bool counterClockwise);

}  // namespace zorvan::qt
