#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The arrangement of the toolbar bands: rows from top to bottom, each row's
// band names from left to right.
using BandRows = std::vector<QStringList>;

// The rows as they show in `width` pixels: a band that does not fit after
// the bands before it in its row starts a row of its own below them. A band
// wider than the window stays alone on its row. `widthOf` gives the room a
// band takes, its margins included.
BandRows WrapBands(const BandRows& rows, const std::function<int(const QString&)>& widthOf, int width);

// The arrangement as kept in a settings value: "DocBar,EditBar|BuildBar".
QString FormatBands(const BandRows& rows);
// Reads FormatBands' text for the bands named in `known`. Unknown names and
// repeats are left out and known bands the text lacks are added to its last
// row, so every band shows whatever the text holds. Nothing when the text
// names no known band.
std::optional<BandRows> ParseBands(const QString& text, const QStringList& known);
