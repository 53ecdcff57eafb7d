#pragma once

#include "editor/EditCtrl.h"
#include "editor/Keywords.h"
#include "navigation/JumpHistory.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class CUILabels;
class DocumentManager;
class ModelFeed;
class ProgramHost;
class ReferencesPane;
struct CDoc;
struct ReferenceRow;
struct Settings;

// What the navigation uses of the main window; references stay with their
// owners and are read at each use.
struct NavigatorHost {
    EditCtrl& editor;
    DocumentManager& docs;
    ModelFeed& events;
    ProgramHost& programs;
    ReferencesPane& pane;
    const Settings& settings;
    const CUILabels& labels;
    // Writes the status bar's message panel.
    std::function<void(const QString&)> setInfoPanel;
};

// Go to definition, find references and the walk back and forward through
// the jumps they made, across documents. Names mean what the program model
// binds them to in the document's whole program; a declaration in a file
// not open opens it as a document.
class Navigator : public QObject {
    Q_OBJECT
public:
    explicit Navigator(NavigatorHost host, QObject* parent = nullptr);

    // The declaration of the name at the caret (F12, Ctrl+click).
    void GoToDefinition();
    // Lists the uses of the name at the caret in the references pane.
    void FindReferences();
    // A jump to a line of the current document (a declaration chosen in
    // the list), kept in the history as the others.
    void JumpToLine(int line);
    // A jump to a place of any file (a symbol or a match chosen in a list),
    // kept in the history as the others; `length` bytes there are selected.
    void JumpToPlace(const JumpPlace& place, int length) { JumpTo(place, length); }
    void GoBack();
    void GoForward();
    // The editor's menu, opened with the right button, was closed: a
    // command chosen in it has run.
    void ForgetMenuPlace() { m_menuPlace.reset(); }

private:
    // The name the caret is on and the model's place of it; none (and the
    // status bar says why) when the caret is on no name.
    struct CaretName {
        const CDoc& doc;
        QString path;  // as the model knows the document
        CaretPosition caret;
        std::string name;
    };
    std::optional<CaretName> NameUnderCaret();
    // The document or file of a model's file key, at a row and column from 0.
    JumpPlace PlaceOf(const std::string& key, std::uint32_t row, std::uint32_t column) const;
    JumpPlace Here() const;
    // The caret goes to the name the editor's menu was opened on, when a
    // command of that menu runs.
    void TakeMenuPlace();
    // Shows a place, opening its file when no document holds it, and selects
    // `length` bytes there; false when it cannot be reached.
    bool Show(const JumpPlace& place, int length);
    // Shows a place as a jump the history keeps.
    void JumpTo(const JumpPlace& place, int length);
    void OnReferenceChosen(const ReferenceRow& row);
    CDoc* DocOfFile(const QString& path) const;

    NavigatorHost m_host;
    JumpHistory m_history;
    int m_referenceLength = 0;
    std::optional<CaretPosition> m_menuPlace;
};
