#include "platform/ImageList.h"

#include "platform/Greyed.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

bool ImageList::Load(const QString& path, QSize pictureSize)
{
    if (pictureSize.isEmpty() || !QFile::exists(path))
        return false;
    QImageReader reader(path);
    QImage strip = reader.read();
    if (strip.isNull() || strip.height() < pictureSize.height() || strip.width() < pictureSize.width())
        return false;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < strip.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x)
            if ((line[x] & 0xFFFFFF) == kMaskColour)
                line[x] = 0;
    }
    m_pictures.clear();
    const int count = strip.width() / pictureSize.width();
    m_pictures.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        m_pictures.push_back(QPixmap::fromImage(strip.copy(QRect(QPoint(i * pictureSize.width(), 0), pictureSize))));
    return true;
}

QPixmap ImageList::Picture(int n) const
{
    return n >= 1 && n <= Count() ? m_pictures[std::size_t(n - 1)] : QPixmap();
}

namespace {

class PictureEngine : public QIconEngine {
public:
    PictureEngine(QPixmap picture, QPixmap disabled, QString svg)
        : m_picture(std::move(picture)), m_disabled(std::move(disabled)), m_svg(std::move(svg))
    {
        if (!m_svg.isEmpty() && (!QFile::exists(m_svg) || !QSvgRenderer(m_svg).isValid()))
            m_svg.clear();
    }

    QIconEngine* clone() const override { return new PictureEngine(*this); }
    QString key() const override { return QStringLiteral("OvrelPicture"); }

    // Never larger than the picture: a view that asks for room gets the
    // picture's own size, as with any bitmap icon. A scaled screen still gets
    // its sharp drawing, asked for in device pixels through pixmap().
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const QSize own = m_picture.size();
        return own.width() <= size.width() && own.height() <= size.height() ? own
                                                                            : own.scaled(size, Qt::KeepAspectRatio);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {m_picture.size()}; }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap pix = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        QSizeF drawn = QSizeF(pix.size()) / ratio;
        QRectF target(QPointF(), drawn);
        target.moveCenter(QRectF(rect).center());
        painter->drawPixmap(target, pix, QRectF(pix.rect()));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const bool disabled = mode == QIcon::Disabled;
        const QSize wanted = m_picture.size().scaled(size, Qt::KeepAspectRatio);
        if (wanted == m_picture.size() || wanted.isEmpty())
            return disabled ? Disabled() : m_picture;
        const QString cacheKey = QStringLiteral("ovrel:%1:%2x%3:%4")
                                     .arg(m_svg.isEmpty() ? QString::number(m_picture.cacheKey()) : m_svg)
                                     .arg(wanted.width())
                                     .arg(wanted.height())
                                     .arg(disabled);
        QPixmap cached;
        if (QPixmapCache::find(cacheKey, &cached))
            return cached;
        QImage image;
        if (m_svg.isEmpty()) {
            image = m_picture.toImage().scaled(wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        } else {
            image = QImage(wanted, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            QSvgRenderer(m_svg).render(&painter, QRectF(image.rect()));
        }
        if (disabled)
            image = Greyed(image);
        cached = QPixmap::fromImage(image);
        QPixmapCache::insert(cacheKey, cached);
        return cached;
    }

private:
    QPixmap Disabled() const
    {
        return m_disabled.isNull() ? QPixmap::fromImage(Greyed(m_picture.toImage())) : m_disabled;
    }

    QPixmap m_picture;
    QPixmap m_disabled;
    QString m_svg;
};

}  // namespace

QIcon PictureIcon(const QPixmap& picture, const QPixmap& disabled, const QString& svgPath)
{
    if (picture.isNull())
        return {};
    return QIcon(new PictureEngine(picture, disabled, svgPath));
}
