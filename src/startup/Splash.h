#pragma once

#include <QDeadlineTimer>
#include <QLabel>
#include <QWidget>

// The window shown while the program loads its files.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    frmSplash();
    // Shows a loading step and paints it at once: start-up runs before the
    // event loop.
    void SetProgress(const QString& caption, bool bold = false);
    QString Progress() const { return LblProgress->text(); }

private:
    void Paint();

    QLabel* Picture1;
    QLabel* LblProgress;
    QDeadlineTimer m_waitForScreen{QDeadlineTimer::Forever};
};
