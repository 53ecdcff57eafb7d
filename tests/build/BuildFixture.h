#pragma once

#include "build/BuildController.h"
#include "startup/DebugLog.h"
#include "startup/Labels.h"
#include "startup/LabelsFile.h"
#include "support/ProgramDir.h"
#include "startup/Settings.h"
#include "support/Scripted.h"
#include "support/TempDir.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>

// A Blitz3D folder whose bin/blitzcc.exe is a shell script standing in for
// the compiler. Each script records how it was started (process id, folder
// and arguments in <tag>.run, the exact environment in <tag>.env, written
// last) under record/, then runs its body.
class FakeBlitz : public TempDir {
public:
    FakeBlitz()
    {
        for (const char* dir : {"Blitz3D/bin", "ide", "record", "tools"})
            QDir().mkpath(file(dir));
    }
    QString b3dDir() const { return file("Blitz3D"); }
    QString binDir() const { return b3dDir() + "/bin/"; }
    QString compiler() const { return binDir() + "blitzcc.exe"; }
    QString programDir() const { return file("ide"); }
    QString outputPath() const { return programDir() + "/output.txt"; }

    void WriteScript(const QString& script, const QString& tag, const std::string& body) const
    {
        write(script, "#!/bin/sh\nr='" + (file("record/") + tag).toStdString()
                          + "'\n{ echo $$; /bin/pwd -P; printf '%s\\n' \"$@\"; } > \"$r.run\"\n"
                            "/usr/bin/tr '\\0' '\\n' < /proc/$$/environ > \"$r.env\"\n"
                          + body);
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    }
    // The compiler prints `out`, then `err` on standard error, and ends with
    // `exitCode`: the real one ends with 255 on every failure, 0 otherwise.
    void Prints(const std::string& out, int exitCode = 0, const std::string& err = {}) const
    {
        WriteScript(compiler(), "cc",
                    "/bin/cat '" + write("record/out", out).toStdString() + "'\n/bin/cat '"
                        + write("record/err", err).toStdString() + "' >&2\nexit " + std::to_string(exitCode)
                        + "\n");
    }

    QStringList Lines(const QString& name) const
    {
        QStringList lines = QString::fromStdString(read("record/" + name)).split('\n');
        lines.removeLast();
        return lines;
    }
    QString Cwd(const QString& tag = "cc") const { return Lines(tag + ".run").value(1); }
    QStringList Args(const QString& tag = "cc") const { return Lines(tag + ".run").mid(2); }
    QMap<QString, QString> Env(const QString& tag = "cc") const
    {
        QMap<QString, QString> env;
        for (const QString& line : Lines(tag + ".env"))
            env.insert(line.section('=', 0, 0), line.section('=', 1));
        return env;
    }
    bool Started() const { return exists("record/cc.env"); }
    void Forget() const { QFile::remove(file("record/cc.env")); }
};

// The main window as the build sees it. The Save dialog answers from
// `saveAnswers` (nothing queued = cancelled); `calls` records saves, opens,
// jumps and error marks.
class FakeHost : public BuildHost {
public:
    std::optional<BuildDocInfo> FindDoc(const QString& key) const override
    {
        auto it = docs.find(key);
        return it == docs.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<BuildMainFile> MainFileOf(const QString& key) override
    {
        auto it = mains.find(key);
        return it == mains.end() ? std::nullopt : std::optional(it->second);
    }
    QString CurrentDocKey() const override { return current; }
    void SaveDoc(const QString& key) override
    {
        calls << "save:" + key;
        BuildDocInfo& d = docs.at(key);
        if (d.FilePath.isEmpty()) {
            if (saveAnswers.empty())
                return;
            d.FilePath = saveAnswers.front();
            d.FileTitle = QFileInfo(d.FilePath).fileName();
            saveAnswers.pop_front();
        }
        d.Modified = false;
    }
    void ShowDocAtLine(const QString& key, int line) override
    {
        calls << QStringLiteral("show:%1:%2").arg(key).arg(line);
        current = key;
        panel.clear();  // as activating a document does
    }
    std::optional<QString> OpenDoc(const QString& path) override
    {
        calls << "open:" + QFileInfo(path).fileName();
        for (const auto& [key, doc] : docs)
            if (doc.FilePath == path)
                return key;
        const QString key = QStringLiteral("Doc_%1").arg(docs.size() + 1);
        Add(key, path);
        return key;
    }
    void MarkError(int line, int column) override { calls << QStringLiteral("mark:%1:%2").arg(line).arg(column); }
    void ClearErrorMark() override {}
    QString InfoPanelText() const override { return panel; }
    void SetInfoPanelText(const QString& text) override { panel = text; }

    void Add(const QString& key, const QString& path)
    {
        docs[key] = {key, path, path.isEmpty() ? "newfile_" + key.mid(4) : QFileInfo(path).fileName()};
    }

    std::map<QString, BuildDocInfo> docs;
    std::map<QString, BuildMainFile> mains;  // of the documents a program includes
    QString current;
    QString panel;
    QStringList calls;
    std::deque<QString> saveAnswers;
};

// A controller over the fake folder and a window holding two saved
// documents, Doc_1 (game.bb, current) and Doc_2 (other.bb).
class BuildFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.B3DDir = blitz.b3dDir();
        labels = ParseLabels(ShippedResource("locale.txt")).labels;
        gamePath = blitz.write("src/game.bb", "Print \"hi\"\r\n");
        otherPath = blitz.write("src/other.bb", "End\r\n");
        host.Add("Doc_1", gamePath);
        host.Add("Doc_2", otherPath);
        host.current = "Doc_1";
        build = std::make_unique<BuildController>(host, settings, labels, prompter, log, blitz.programDir());
    }

    // Runs the event loop until the build's result is shown.
    bool Finish()
    {
        bool ended = false;
        QObject::connect(build.get(), &BuildController::BuildingChanged, build.get(),
                         [&](bool building) { ended = ended || !building; });
        const bool done = WaitUntil([&] { return ended; });
        build->disconnect(build.get());
        return done;
    }

    FakeBlitz blitz;
    FakeHost host;
    Settings settings;
    CUILabels labels;
    ScriptedPrompter prompter;
    DebugLog log{blitz.programDir()};
    std::unique_ptr<BuildController> build;
    QString gamePath;
    QString otherPath;
};

// The real compiler's progress lines for a source.
inline std::string Progress(const QString& source, const std::string& last = "Executing...")
{
    return "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\nCompiling \"" + source.toStdString()
           + "\"\r\nParsing...\r\nGenerating...\r\nTranslating...\r\nAssembling...\r\n" + last
           + "\r\n";
}
