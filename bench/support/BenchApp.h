#pragma once

#include "platform/CommonDialog.h"
#include "platform/Prompter.h"
#include "startup/App.h"

#include <QTemporaryDir>

#include <memory>

// A started IDE for widget benchmarks: the shipped program files in a
// temporary program directory, a fake Blitz3D folder, and message boxes and
// dialogs that answer by themselves.
class BenchApp {
public:
    BenchApp();
    ~BenchApp();
    App& app() { return *m_app; }
    MainWindow& window();
    QString dir() const { return m_dir.path(); }
    // How long the start-up sequence took, to the main window shown.
    double startSeconds() const { return m_startSeconds; }

private:
    class Quiet : public Prompter, public CommonDialog {
    public:
        MsgAnswer Ask(const QString&, MsgIcon, MsgButtons b) override
        {
            return b == MsgButtons::YesNoCancel ? MsgAnswer::No : MsgAnswer::Ok;
        }
        std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
        std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
        std::optional<QString> ChooseFolder(const QString&, const QString&) override { return std::nullopt; }
        std::optional<Color> ChooseColor(Color) override { return std::nullopt; }
        std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    };

    QTemporaryDir m_dir;
    Quiet m_quiet;
    std::unique_ptr<App> m_app;
    double m_startSeconds = 0;
};

// Runs pending events for `ms` milliseconds.
void PumpEvents(int ms);
