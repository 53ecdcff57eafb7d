#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <vector>

// Pictures cut from a bitmap strip: cells of one size laid side by side from
// left to right, magenta (255, 0, 255) standing for transparent. Picture n
// is the strip's n-th cell, counted from 1.
class ImageList {
public:
    static constexpr QRgb kMaskColour = 0xFF00FF;

    // Reads `path` as a strip of `pictureSize` cells. A width that is not a
    // multiple of the cell's gives the whole pictures that fit. False, with
    // the list unchanged, when the file is missing, is no image or holds no
    // whole picture.
    bool Load(const QString& path, QSize pictureSize);

    int Count() const { return int(m_pictures.size()); }
    // Null when `n` is not a picture of the strip.
    QPixmap Picture(int n) const;

private:
    std::vector<QPixmap> m_pictures;
};

// An icon showing `picture` at its own size. Asked for another size (a scaled
// screen, a smaller button) it draws the SVG the picture was made from at that
// size, so nothing is blown up from a few pixels; without an SVG the picture is
// scaled. The disabled look is `disabled` at its own size and a greyed drawing
// otherwise.
QIcon PictureIcon(const QPixmap& picture, const QPixmap& disabled = {}, const QString& svgPath = {});
