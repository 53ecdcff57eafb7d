#pragma once

#include "mainwindow/BandLayout.h"

#include <QList>
#include <QObject>
#include <QPair>

class QMainWindow;
class QToolBar;

// The toolbar bands of the main window: rows of toolbars under the menu bar.
// A band that does not fit the window's width starts a row of its own below
// and comes back when the window is wide enough again. Bands the user drags
// to another place or row stay where they were put.
class ToolbarBands : public QObject {
    Q_OBJECT
public:
    // The bands by name, in the order of the first arrangement.
    ToolbarBands(QMainWindow& window, QList<QPair<QString, QToolBar*>> bands);

    QStringList Names() const;
    // The first arrangement: the project, document and edit bands, then the
    // build, tools and help bands on a second row.
    static BandRows FirstArrangement();

    // The arrangement the user chose (wrapped to the window's width as it shows).
    BandRows Arrangement() const { return m_chosen; }
    void SetArrangement(const BandRows& rows);
    // The rows as they show now.
    BandRows Shown() const { return m_shown; }

    // Wraps the bands to the window's width; run when the window is resized.
    void FitToolbarBands();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply(const BandRows& rows);
    // The rows read from where the toolbars are: after a drag by the user.
    BandRows ReadRows() const;
    void AdoptUserMove();
    QToolBar* Bar(const QString& name) const;

    QMainWindow& m_window;
    QList<QPair<QString, QToolBar*>> m_bands;
    BandRows m_chosen;
    BandRows m_shown;
    bool m_applying = false;
    bool m_checkPending = false;
};
