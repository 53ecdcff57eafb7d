#pragma once

#include <QImage>

// The disabled look of a picture: the same shape without its colours, its
// contrast lowered toward a mid grey, so it reads as inactive on a light or a
// dark toolbar. Transparency is kept. The build draws the disabled bitmap strip
// with it and the program the larger pictures of a scaled screen, so both
// look alike.
QImage Greyed(const QImage& picture);
