#pragma once

#include "platform/Color.h"

#include <QString>

#include <functional>
#include <optional>

// A request for the file chooser. `filter` uses the program's own format:
// description and pattern items separated by "|" (or ":"), e.g.
// "Blitz3D source (*.bb)|*.bb|All files|*.*".
struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultExtension;  // ".bb"; empty for none
    QString initialName;
    // Where the chooser opens when `initialName` names no folder of its own.
    QString startFolder;
    // Open only: a folder for which this holds is chosen as it is, rather
    // than entered, when the user opens it.
    std::function<bool(const QString&)> acceptFolder;
};

struct FontChoice {
    QString face;
    double size = 0;
};

// The file, folder, colour and font choosers. The program shows the desktop's
// dialogs; tests script the answers.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;
    // The chosen file (it must exist) or accepted folder, or nothing when
    // cancelled.
    virtual std::optional<QString> OpenFile(const FileDialogRequest& request) = 0;
    // The chosen target; the dialog asks itself before an existing file is
    // chosen. Nothing when cancelled.
    virtual std::optional<QString> SaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> ChooseFolder(const QString& title, const QString& start) = 0;
    virtual std::optional<Color> ChooseColor(Color initial) = 0;
    virtual std::optional<FontChoice> ChooseFont(const FontChoice& initial) = 0;
};
