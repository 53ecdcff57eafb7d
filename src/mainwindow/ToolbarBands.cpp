#include "mainwindow/ToolbarBands.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <map>

ToolbarBands::ToolbarBands(QMainWindow& window, QList<QPair<QString, QToolBar*>> bands)
    : QObject(&window), m_window(window), m_bands(std::move(bands))
{
    for (const auto& band : std::as_const(m_bands)) {
        QToolBar* bar = band.second;
        bar->setAllowedAreas(Qt::TopToolBarArea);
        bar->setFloatable(false);
        bar->installEventFilter(this);
    }
    SetArrangement(FirstArrangement());
}

QStringList ToolbarBands::Names() const
{
    QStringList names;
    for (const auto& band : m_bands)
        names << band.first;
    return names;
}

BandRows ToolbarBands::FirstArrangement()
{
    return {{QStringLiteral("ProjectBar"), QStringLiteral("DocBar"), QStringLiteral("EditBar")},
            {QStringLiteral("BuildBar"), QStringLiteral("ToolsBar"), QStringLiteral("HelpBar")}};
}

QToolBar* ToolbarBands::Bar(const QString& name) const
{
    for (const auto& band : m_bands)
        if (band.first == name)
            return band.second;
    return nullptr;
}

void ToolbarBands::SetArrangement(const BandRows& rows)
{
    m_chosen = rows;
    m_shown.clear();
    FitToolbarBands();
}

void ToolbarBands::FitToolbarBands()
{
    // The room a band takes: its own width and the spacing around it.
    const int spacing = m_window.style()->pixelMetric(QStyle::PM_ToolBarItemSpacing) + 4;
    const int width = m_window.width() - 4;
    const BandRows rows = WrapBands(
        m_chosen,
        [this, spacing](const QString& name) {
            QToolBar* bar = Bar(name);
            return bar ? bar->sizeHint().width() + spacing : 0;
        },
        width);
    if (rows != m_shown)
        Apply(rows);
}

void ToolbarBands::Apply(const BandRows& rows)
{
    m_applying = true;
    for (const auto& band : std::as_const(m_bands))
        m_window.removeToolBar(band.second);
    bool first = true;
    for (const QStringList& row : rows) {
        if (!first)
            m_window.addToolBarBreak(Qt::TopToolBarArea);
        first = false;
        for (const QString& name : row) {
            if (QToolBar* bar = Bar(name)) {
                m_window.addToolBar(Qt::TopToolBarArea, bar);
                bar->show();
            }
        }
    }
    m_shown = rows;
    if (QLayout* layout = m_window.layout())
        layout->activate();
    m_applying = false;
}

BandRows ToolbarBands::ReadRows() const
{
    // Toolbars of one row share their top; a row reads left to right.
    std::map<int, std::vector<std::pair<int, QString>>> byTop;
    for (const auto& band : m_bands) {
        if (band.second->isVisible() && m_window.toolBarArea(band.second) == Qt::TopToolBarArea)
            byTop[band.second->y()].push_back({band.second->x(), band.first});
    }
    BandRows rows;
    for (auto& [top, bands] : byTop) {
        std::sort(bands.begin(), bands.end());
        QStringList row;
        for (const auto& band : bands)
            row << band.second;
        rows.push_back(row);
    }
    return rows;
}

void ToolbarBands::AdoptUserMove()
{
    // Never rebuilt under a drag still going on.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTimer::singleShot(100, this, &ToolbarBands::AdoptUserMove);
        return;
    }
    m_checkPending = false;
    if (!m_window.isVisible())
        return;
    const BandRows rows = ReadRows();
    if (rows.empty() || rows == m_shown)
        return;
    // What the user arranged becomes the arrangement; it is wrapped again
    // should it not fit.
    m_chosen = rows;
    m_shown = rows;
    FitToolbarBands();
}

bool ToolbarBands::eventFilter(QObject* watched, QEvent* event)
{
    // A toolbar the user dragged moves; the rows are read once the drag has
    // settled.
    if (event->type() == QEvent::Move && !m_applying && !m_checkPending) {
        m_checkPending = true;
        QTimer::singleShot(0, this, &ToolbarBands::AdoptUserMove);
    }
    return QObject::eventFilter(watched, event);
}
