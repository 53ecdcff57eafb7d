#pragma once

#include "navigation/JumpHistory.h"
#include "navigation/ProgramEdits.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <string_view>

class CUILabels;
class DocumentManager;
class EditCtrl;
class ModelFeed;
class Navigator;
class Prompter;
class ProgramHost;
class QWidget;
struct CDoc;

// What the commands over a whole program (rename, find and replace in it, go
// to symbol) use of the main window; references stay with their owners.
struct ProgramToolsHost {
    QWidget& window;
    EditCtrl& editor;
    DocumentManager& docs;
    ModelFeed& events;
    ProgramHost& programs;
    Navigator& navigator;
    const CUILabels& labels;
    Prompter& prompter;
    // Writes the status bar's message panel.
    std::function<void(const QString&)> setInfoPanel;
};

// The program's side of the open documents and files: which document holds a
// file of the model, what the user calls it, and changes made to all of them
// at once.
class ProgramEditor {
public:
    explicit ProgramEditor(ProgramToolsHost host) : m_host(std::move(host)) {}

    const ProgramToolsHost& host() const { return m_host; }

    // The path the model knows the document in front by, its edits handed
    // over first; empty with no document.
    QString CurrentPath() const;
    // The open document that holds the file of a model key, if any.
    CDoc* DocOf(std::string_view key) const;
    // The name the user knows a file by: its document's title, or its name.
    QString TitleOf(std::string_view key) const;
    // A place of the model (rows from 0) as a jump goes there.
    JumpPlace PlaceOf(std::string_view key, std::uint32_t row, std::uint32_t col) const;

    // Makes the change: each open document's text changes in the editor as
    // one undo step, and the other files are written as Save writes them.
    // Every file is checked first; when one cannot be written, or no longer
    // holds the text the change was made for, nothing changes and the user is
    // told which and why. A write that fails all the same puts back the files
    // written before it. `what` names the change in the summary the user gets.
    bool Apply(const ProgramEdits& edits, const QString& what);

private:
    ProgramToolsHost m_host;
};
