#include "mainwindow/BandLayout.h"

BandRows WrapBands(const BandRows& rows, const std::function<int(const QString&)>& widthOf, int width)
{
    BandRows shown;
    for (const QStringList& row : rows) {
        QStringList line;
        int used = 0;
        for (const QString& band : row) {
            const int w = widthOf(band);
            if (!line.isEmpty() && used + w > width) {
                shown.push_back(line);
                line.clear();
                used = 0;
            }
            line << band;
            used += w;
        }
        if (!line.isEmpty())
            shown.push_back(line);
    }
    return shown;
}

QString FormatBands(const BandRows& rows)
{
    QStringList lines;
    for (const QStringList& row : rows)
        lines << row.join(u',');
    return lines.join(u'|');
}

std::optional<BandRows> ParseBands(const QString& text, const QStringList& known)
{
    BandRows rows;
    QStringList seen;
    for (const QString& line : text.split(u'|')) {
        QStringList row;
        for (const QString& name : line.split(u',')) {
            const QString band = name.trimmed();
            if (known.contains(band) && !seen.contains(band)) {
                row << band;
                seen << band;
            }
        }
        if (!row.isEmpty())
            rows.push_back(row);
    }
    if (rows.empty())
        return std::nullopt;
    for (const QString& band : known)
        if (!seen.contains(band))
            rows.back() << band;
    return rows;
}
