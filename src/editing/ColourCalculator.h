#pragma once

#include "platform/Color.h"

#include <QString>
#include <QStringList>

namespace editing {

// A colour as Blitz3D code writes it: "$RRGGBB" (two upper-case hexadecimal
// digits each) or "R,G,B" in decimal.
QString ColourText(Color colour, bool hexadecimal);

// The desktop calculators looked for, in order of preference.
QStringList CalculatorPrograms();
// The path of the first of them found in `folders` (the search path), or an
// empty text.
QString FindCalculator(const QStringList& folders);
// The folders of the PATH environment variable.
QStringList SearchPath();

}  // namespace editing
