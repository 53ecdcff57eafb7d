// Build-time renderer of the project's SVG pictures: the application icon at
// the desktop's sizes, and the bitmap strips the program cuts its pictures
// from (24-bit, magenta standing for transparent).
//
//   render_icons png SIZE OUT.png IN.svg
//   render_icons strip WIDTH HEIGHT OUT.bmp [--disabled] IN.svg|- ...
//
// In a strip each picture takes WIDTH x HEIGHT pixels, left to right; "-"
// leaves a slot empty (all magenta). --disabled draws every picture as its
// greyed, faded self.
#include "platform/Greyed.h"

#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;

QImage Render(const QString& svg, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

// Transparency becomes magenta; half-covered edge pixels are blended over a
// mid grey, so they neither vanish nor show a pink fringe, and leave no light
// halo on a dark toolbar nor a dark one on a light toolbar.
QRgb OverMagenta(QRgb premultiplied)
{
    const QRgb c = qUnpremultiply(premultiplied);
    const int a = qAlpha(c);
    if (a < 96)
        return kMagenta;
    const int back = 150;
    auto mix = [&](int v) { return (v * a + back * (255 - a)) / 255; };
    return qRgb(mix(qRed(c)), mix(qGreen(c)), mix(qBlue(c)));
}

int Fail(const char* what, const QString& arg)
{
    std::fprintf(stderr, "render_icons: %s %s\n", what, qPrintable(arg));
    return 1;
}

int Png(const QStringList& args)
{
    if (args.size() != 3)
        return Fail("usage:", QStringLiteral("png SIZE OUT.png IN.svg"));
    const int size = args[0].toInt();
    const QImage image = Render(args[2], QSize(size, size));
    if (image.isNull())
        return Fail("cannot read", args[2]);
    return image.save(args[1], "PNG") ? 0 : Fail("cannot write", args[1]);
}

int Strip(QStringList args)
{
    if (args.size() < 4)
        return Fail("usage:", QStringLiteral("strip WIDTH HEIGHT OUT.bmp [--disabled] IN.svg|- ..."));
    const QSize cell(args[0].toInt(), args[1].toInt());
    const QString out = args[2];
    args = args.mid(3);
    const bool disabled = args.first() == u"--disabled";
    if (disabled)
        args.removeFirst();

    QImage strip(cell.width() * int(args.size()), cell.height(), QImage::Format_RGB888);
    strip.fill(QColor::fromRgb(kMagenta));
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"-")
            continue;
        QImage picture = Render(args[i], cell);
        if (picture.isNull())
            return Fail("cannot read", args[i]);
        if (disabled)
            picture = Greyed(picture).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x)
                strip.setPixel(i * cell.width() + x, y, OverMagenta(picture.pixel(x, y)));
    }
    return strip.save(out, "BMP") ? 0 : Fail("cannot write", out);
}

}  // namespace

int main(int argc, char** argv)
{
    // No application object: the pictures hold no text, and painting into
    // images needs no display.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        return Fail("usage:", QStringLiteral("png|strip ..."));
    const QString mode = args.takeFirst();
    if (mode == u"png")
        return Png(args);
    if (mode == u"strip")
        return Strip(args);
    return Fail("unknown mode", mode);
}
