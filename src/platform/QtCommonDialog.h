#pragma once

#include "platform/CommonDialog.h"

#include <QStringList>

// The desktop's file, folder, colour and font dialogs.
class QtCommonDialog : public CommonDialog {
public:
    std::optional<QString> OpenFile(const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(const FileDialogRequest& request) override;
    std::optional<QString> ChooseFolder(const QString& title, const QString& start) override;
    std::optional<Color> ChooseColor(Color initial) override;
    std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
};

// "desc|pattern|desc|pattern" (items also split at ":") in the form the Qt
// dialogs take: "desc (pattern);;desc (pattern)".
QString ToQtFilter(const QString& filter);
