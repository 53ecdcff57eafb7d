#pragma once

#include "editor/EditCtrl.h"
#include "panes/ProblemsPane.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lang {
class Program;
struct Diagnostic;
}
struct CDoc;
class DocumentManager;
class EditCtrl;
class ModelFeed;
class ProgramHost;

// The checker's findings as the user meets them while typing: once typing
// pauses, the program of the document in front is asked for its
// diagnostics (the model redoes only what the edits touched), the
// document's own are marked in the editor, and the Problems tab lists every
// one of the program with the last build's error. A pause changes only the
// rows and marks of the problems that changed or moved since the last, so
// a long program with thousands of problems costs little per pause.
class LiveCheck : public QObject {
    Q_OBJECT
public:
    LiveCheck(EditCtrl& editor, DocumentManager& docs, ModelFeed& events, ProgramHost& programs,
              ProblemsPane& pane, QObject* parent = nullptr);

    // Off, the editor shows no marks and the list only the build's error.
    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    // Which kinds of warning are shown, by lang::WarningKind (bit 1 << kind).
    void SetWarnings(unsigned kinds);

    // The error the last build stopped at, in the document `docKey` (rows
    // from 1): listed until the next build or until that file changes.
    void SetBuildError(const QString& docKey, int line, int column, const QString& message);
    void ClearBuildError();

    // Brings the marks and the list up to date now, as the end of a pause does.
    void Refresh();
    // The document in front was edited: the pause starts again, and the
    // check after it hands the edits on.
    void Edited();

    // Puts the name a warning proposes in place of the one it is about,
    // where the caret is; false when no warning there proposes one.
    bool QuickFix();

Q_SIGNALS:
    // The number of errors or of warnings listed changed.
    void CountChanged(int errors, int warnings);
    // The last build's error no longer applies: the file it was found in changed.
    void BuildErrorGone();

private:
    // The end of a pause: a slice of the program's check, and the marks once
    // the check is done.
    void Resume();
    // The list of a document come back to, as it was left, when its program
    // has not changed since; false when it must be asked for again.
    bool ShowKept();
    // Keeps the list's rows for the document left, when they are still its
    // program's.
    void KeepLeft();
    // Makes the window's list and marks from the program's problems until
    // `deadline`; true once they are shown.
    bool List(std::chrono::steady_clock::time_point deadline);
    // Brings the list and marks up to date with what the program's last list
    // changed, when they were made from the list before it; false when
    // they must be made anew.
    bool Patch(lang::Program& program, CDoc& doc, const QString& path);
    // A problem's row (when `listed`) and mark (when `marked`), where its
    // kind is shown; says what it was made as (MadeAs).
    std::uint8_t Add(const lang::Diagnostic& d, const QString& message, const std::pair<QString, QString>& file,
                     bool listed, bool marked, std::vector<ProblemRow>& rows,
                     std::vector<EditorDiagnostic>& marks) const;
    const std::pair<QString, QString>& FileOf(const std::string& key);
    // The rows listed are the program's: counted, and the pause is over.
    void Show();
    void ForgetKept();

    EditCtrl& m_editor;
    DocumentManager& m_docs;
    ModelFeed& m_events;
    ProgramHost& m_programs;
    ProblemsPane& m_pane;
    QTimer m_pause;
    bool m_enabled = true;
    unsigned m_warnings = ~0u;
    int m_errors = -1, m_warningCount = -1;

    struct BuildError {
        QString path;
        std::string key;
        std::uint64_t revision = 0;
        int line = 0;
        int column = 0;
        QString message;
    };
    std::vector<BuildError> m_buildErrors;
    // A switch of tabs must not cost a program's check over again: the rows
    // of the document left stay kept (its marks stay in its buffer) until
    // its program changes. By document key; the program by main file key.
    struct Kept {
        std::string main;
        std::vector<ProblemRow> rows;
    };
    std::unordered_map<QString, Kept> m_kept;
    // The document whose program's problems the list shows up to date, and
    // the one left for the document in front, whose rows the list still
    // shows until they are kept.
    struct Shown {
        QString doc;
        std::string main;
    };
    Shown m_shown, m_left;
    bool m_switched = false;
    bool m_listed = false;  // the program's problems are listed, the window's list is next
    // The last pause's messages, as the model gave them and as shown.
    std::vector<std::pair<std::string, QString>> m_messages;
    // What the list and the marks in place were made from: the program's
    // list, the document in front, and for each problem whether it is a
    // row, a mark, a warning. A pause that changes a few of thousands
    // problems changes those rows and marks only.
    enum MadeAs : std::uint8_t { kRow = 1, kMark = 2, kWarning = 4 };
    struct Made {
        std::uint64_t list = 0;  // 0: made from no list a patch can start from
        QString doc;
        std::vector<std::uint8_t> as;
    } m_made;
    // The window's list as it is being made, while typing a slice at a time.
    struct Listing {
        bool begun = false;
        std::size_t next = 0;  // the program's problem to list next
        std::string docKey;
        std::vector<std::size_t> twin;  // each problem's in m_messages
        std::vector<std::pair<std::string, QString>> messages;
        std::vector<ProblemRow> rows;
        std::vector<EditorDiagnostic> marks;
        std::vector<std::uint8_t> as;
        // A file's path and the name the list gives it, by key.
        std::unordered_map<std::string, std::pair<QString, QString>> files;
    } m_listing;
};
