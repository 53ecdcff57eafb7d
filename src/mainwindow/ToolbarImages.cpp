#include "mainwindow/ToolbarImages.h"

#include "platform/Prompter.h"

#include <QDir>

namespace {

struct Strip {
    const char* file;
    QSize size;
    ImageList ToolbarImages::*list;
    const char* failure;
};

const Strip kStrips[] = {
    {"ToolbarsIcons.bmp", {20, 20}, &ToolbarImages::ToolbarIconList, "Error loading Toolbars Icons"},
    {"ToolbarsDisabledIcons.bmp", {20, 20}, &ToolbarImages::ToolbarDisabledIconList, "Error loading Toolbars Icons"},
    {"SmallIcons.bmp", {16, 16}, &ToolbarImages::SmallIconList, "Error loading Small Icons"},
    {"VertSplitter.bmp", {5, 64}, &ToolbarImages::SplitterIconList, "Error loading Small Icons"},
};

}  // namespace

bool LoadToolbarImages(const QString& programDir, Prompter& prompter, ToolbarImages& images)
{
    for (const Strip& strip : kStrips) {
        if (!(images.*strip.list).Load(QDir(programDir).filePath(QString::fromLatin1(strip.file)), strip.size)) {
            prompter.Tell(QString::fromLatin1(strip.failure), MsgIcon::Critical);
            return false;
        }
    }
    return true;
}

QIcon ToolbarImages::ToolbarIcon(int n) const
{
    return Icon("toolbar", ToolbarIconList, &ToolbarDisabledIconList, n);
}

QIcon ToolbarImages::SmallIcon(int n) const
{
    return Icon("small", SmallIconList, nullptr, n);
}

QIcon ToolbarImages::SplitterIcon(int n) const
{
    return Icon("splitter", SplitterIconList, nullptr, n);
}

QIcon ToolbarImages::Icon(const char* strip, const ImageList& list, const ImageList* disabled, int n) const
{
    // The SVGs are compiled into the program under their strip and number.
    const QString svg = QStringLiteral(":/pictures/%1/%2.svg").arg(QLatin1String(strip)).arg(n);
    auto it = m_icons.constFind(svg);
    if (it != m_icons.constEnd())
        return *it;
    const QIcon icon = PictureIcon(list.Picture(n), disabled ? disabled->Picture(n) : QPixmap(), svg);
    m_icons.insert(svg, icon);
    return icon;
}
