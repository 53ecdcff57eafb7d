#pragma once

#include "debugger/DebugSession.h"

#include <QPlainTextEdit>
#include <QTreeWidget>

class CUILabels;

// The program's DebugLog lines as they come, and what the debugger says
// about the run between them.
class DebugLogPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DebugLogPane(QWidget* parent = nullptr);
    void AddLine(const QString& line);
    // A line of the debugger's own, set apart from the program's.
    void AddNote(const QString& note);
};

// The frames of the stopped program, innermost first: the function, and the
// file and line it is at. A click shows that frame's line.
class CallStackPane : public QTreeWidget {
    Q_OBJECT
public:
    struct Row {
        QString function;
        QString file;  // as shown: the file's name
        int line = 0;
    };
    explicit CallStackPane(const CUILabels& labels, QWidget* parent = nullptr);
    void SetRows(const std::vector<Row>& rows);
    // Empties the list, saying why in its place.
    void SetNote(const QString& note);
    int SelectedFrame() const;

Q_SIGNALS:
    void FrameChosen(int frame);
};
