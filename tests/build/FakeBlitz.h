#pragma once

#include "build/BuildHost.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include <deque>
#include <map>
#include <string>

// A Blitz3D folder whose bin/blitzcc.exe is a shell script standing in for
// the compiler: it records how it was started (arguments, folder,
// environment, process id) and then prints what the test asked for.
class FakeBlitz {
public:
    FakeBlitz()
    {
        QDir().mkpath(b3dDir() + "/bin");
        QDir().mkpath(programDir());
        QDir().mkpath(recordDir());
    }

    QString b3dDir() const { return m_root.file("Blitz3D"); }
    QString binDir() const { return b3dDir() + "/bin/"; }
    QString compiler() const { return binDir() + "blitzcc.exe"; }
    QString programDir() const { return m_root.file("ide"); }
    QString recordDir() const { return m_root.file("record"); }
    QString outputPath() const { return programDir() + "/output.txt"; }
    QString file(const QString& name) const { return m_root.file(name); }
    QString write(const QString& name, std::string_view bytes) const { return m_root.write(name, bytes); }

    // Writes an executable script at `path` that records its start into
    // `tag`.* files and then runs `body`.
    void WriteScript(const QString& path, const QString& tag, const std::string& body) const
    {
        const std::string rec = (recordDir() + "/" + tag).toStdString();
        const std::string script = "#!/bin/sh\n"
                                   "echo $$ > '" + rec + ".pid'\n"
                                   ": > '" + rec + ".args'\n"
                                   "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + rec + ".args'; done\n"
                                   "/bin/pwd -P > '" + rec + ".cwd'\n"
                                   "/usr/bin/tr '\\0' '\\n' < /proc/$$/environ > '" + rec + ".env'\n"
                                   + body;
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(script.data(), qint64(script.size()));
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    }

    // A compiler that prints `out` on standard output, then `err` on
    // standard error, and exits with `code`.
    void Prints(const std::string& out, const std::string& err = {}, int code = 0) const
    {
        const QString outFile = write("record/print.out", out);
        const QString errFile = write("record/print.err", err);
        WriteScript(compiler(), "cc",
                    "/bin/cat '" + outFile.toStdString() + "'\n/bin/cat '" + errFile.toStdString()
                        + "' >&2\nexit " + std::to_string(code) + "\n");
    }

    // What the last start of the script `tag` recorded.
    QStringList Args(const QString& tag = "cc") const { return Lines(tag + ".args"); }
    QString Cwd(const QString& tag = "cc") const { return Lines(tag + ".cwd").value(0); }
    QMap<QString, QString> Env(const QString& tag = "cc") const
    {
        QMap<QString, QString> env;
        for (const QString& line : Lines(tag + ".env")) {
            const qsizetype eq = line.indexOf('=');
            env.insert(line.left(eq), line.mid(eq + 1));
        }
        return env;
    }
    qint64 Pid(const QString& tag = "cc") const { return Lines(tag + ".pid").value(0).toLongLong(); }
    bool Started(const QString& tag = "cc") const
    {
        return QFileInfo::exists(recordDir() + "/" + tag + ".env");
    }
    void Forget(const QString& tag = "cc") const
    {
        for (const char* ext : {".pid", ".args", ".cwd", ".env"})
            QFile::remove(recordDir() + "/" + tag + ext);
    }

private:
    QStringList Lines(const QString& name) const
    {
        const std::string bytes = ReadFileBytes(recordDir() + "/" + name);
        QStringList lines = QString::fromStdString(bytes).split('\n');
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        return lines;
    }

    TempDir m_root;
};

// The main window as the build sees it: documents by key, the plain save
// (the Save dialog answers from `saveAnswers`, nothing queued = cancel), the
// status panel, and a record of what was shown.
class FakeHost : public BuildHost {
public:
    std::optional<BuildDocInfo> FindDoc(const QString& key) const override
    {
        auto it = docs.find(key);
        if (it == docs.end())
            return std::nullopt;
        return it->second;
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
            saveAnswers.pop_front();
            d.FileTitle = QFileInfo(d.FilePath).fileName();
        }
        d.Modified = false;
    }
    void ShowDocAtLine(const QString& key, int line) override
    {
        calls << QStringLiteral("show:%1:%2").arg(key).arg(line);
        current = key;
        // Activating a document empties the status panel.
        panel.clear();
    }
    void FlashErrorLine(int line) override { calls << QStringLiteral("flash:%1").arg(line); }
    QString InfoPanelText() const override { return panel; }
    void SetInfoPanelText(const QString& text) override { panel = text; }

    void Add(const QString& key, const QString& path, bool modified = false)
    {
        docs[key] = {key, path, path.isEmpty() ? "newfile_" + key.mid(4) : QFileInfo(path).fileName(),
                     modified};
    }

    std::map<QString, BuildDocInfo> docs;
    QString current;
    QString panel;
    QStringList calls;
    std::deque<QString> saveAnswers;
};
