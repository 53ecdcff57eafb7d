#pragma once

#include <QString>

#include <optional>

// What the build needs to know of a document.
struct BuildDocInfo {
    QString Key;
    QString FilePath;   // "" when never saved
    QString FileTitle;
    bool Modified = false;
};

// The file a document is built from when a program includes it.
struct BuildMainFile {
    QString path;
    QString docKey;  // the document open on it; "" when none is
};

// The build's view of the main window: its documents, their saving and
// showing, and the status panel "infoPanel". Documents are named by Key.
class BuildHost {
public:
    virtual ~BuildHost() = default;

    virtual std::optional<BuildDocInfo> FindDoc(const QString& key) const = 0;
    // The main file the document is built from; nothing when that is the
    // document itself.
    virtual std::optional<BuildMainFile> MainFileOf(const QString& /*key*/) { return std::nullopt; }
    // The key of the document in the editor; "" when none is open.
    virtual QString CurrentDocKey() const = 0;
    // The plain save: to its path without asking, through the Save dialog
    // when it has none. The document says afterwards whether it worked.
    virtual void SaveDoc(const QString& key) = 0;
    // Makes the document the current one the way a click on its tab does
    // (the document being left keeps its state), selects its tab and puts
    // the caret at column 0 of the 1-based `line`, scrolled into view. A
    // negative line keeps the document's own caret.
    virtual void ShowDocAtLine(const QString& key, int line) = 0;
    // The document of the file at `path`: the one open on it, or one opened
    // for it. Nothing when it could not be opened (the reason was shown).
    virtual std::optional<QString> OpenDoc(const QString& path) = 0;
    // Puts the caret of the document in the editor at the compiler's 1-based
    // `column` (a tab counting as one) of the 1-based `line`, flashes the
    // line in the error-line colour and marks it until ClearErrorMark.
    virtual void MarkError(int line, int column) = 0;
    // Takes away the error mark, from whichever document holds it.
    virtual void ClearErrorMark() = 0;

    virtual QString InfoPanelText() const = 0;
    virtual void SetInfoPanelText(const QString& text) = 0;
};
