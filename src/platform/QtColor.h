#pragma once

#include "platform/Color.h"

#include <QColor>

// A colour of the settings as the widgets paint it.
inline QColor ToQColor(Color c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
