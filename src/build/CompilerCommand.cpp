#include "build/CompilerCommand.h"

#include "platform/Paths.h"

#include <QFile>

#include <algorithm>

namespace {

const QChar kQuote = u'"';

QString Quoted(const QString& s)
{
    return kQuote + s + kQuote;
}

bool IsSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

}  // namespace

QString CompilerPath(const QString& binDir)
{
    return paths::Join(binDir, QStringLiteral("blitzcc.exe"));
}

QString ExecutablePath(const QString& sourcePath)
{
    const qsizetype dot = sourcePath.lastIndexOf(u'.');
    qsizetype separator = -1;
    for (qsizetype i = sourcePath.size() - 1; i >= 0; --i) {
        if (IsSeparator(sourcePath[i])) {
            separator = i;
            break;
        }
    }
    if (dot > separator)
        return sourcePath.left(dot + 1) + QStringLiteral("exe");
    return sourcePath + QStringLiteral(".exe");
}

QString CompilerCommandLine(const CompilerCommandInput& input)
{
    const QString compiler = Quoted(CompilerPath(input.binDir));
    const QString source = Quoted(input.sourcePath);
    switch (input.mode) {
    case BuildMode::Check:
        return compiler + QStringLiteral(" -c ") + source;
    case BuildMode::CompileAndRun:
        return compiler + (input.debug ? QStringLiteral(" -d ") : QStringLiteral(" ")) + source
               + u' ' + input.programCommandLine;
    case BuildMode::BuildExecutable:
        return compiler + QStringLiteral(" -o ") + Quoted(ExecutablePath(input.sourcePath)) + u' '
               + source;
    }
    return compiler;
}

QStringList SplitProgramArguments(const QString& commandLine)
{
    QStringList out;
    QString current;
    bool inQuotes = false;
    // A pair of quotes with nothing between them is still an argument.
    bool started = false;
    for (QChar c : commandLine) {
        if (c == kQuote) {
            inQuotes = !inQuotes;
            started = true;
        } else if (IsBlank(c) && !inQuotes) {
            if (started)
                out << current;
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        out << current;
    return out;
}

QString ShellCommandLine(const ProcessCommand& command, const QString& blitzpath)
{
    const auto quoted = [](const QString& word) {
        const bool plain = !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) {
            return (c.isLetterOrNumber() && c.unicode() < 128) || QStringLiteral("_./:=@%+,-").contains(c);
        });
        if (plain)
            return word;
        // Inside single quotes only a single quote itself needs care.
        return u'\'' + QString(word).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    };
    QStringList words{QStringLiteral("blitzpath=") + quoted(blitzpath), quoted(command.program)};
    for (const QString& argument : command.arguments)
        words << quoted(argument);
    return words.join(u' ');
}

QString WinePath(const QString& path)
{
    QString p = path;
    p.replace(u'/', u'\\');
    if (path.startsWith(u'/'))
        return QStringLiteral("Z:") + p;
    return p;
}

QStringList CompilerArguments(const CompilerCommandInput& input, PathForm form)
{
    auto path = [form](const QString& p) { return form == PathForm::Wine ? WinePath(p) : p; };
    switch (input.mode) {
    case BuildMode::Check:
        return {QStringLiteral("-c"), path(input.sourcePath)};
    case BuildMode::CompileAndRun: {
        QStringList args;
        if (input.debug)
            args << QStringLiteral("-d");
        args << path(input.sourcePath);
        return args + SplitProgramArguments(input.programCommandLine);
    }
    case BuildMode::BuildExecutable:
        return {QStringLiteral("-o"), path(ExecutablePath(input.sourcePath)), path(input.sourcePath)};
    }
    return {};
}

ProcessCommand CompilerProcess(const CompilerCommandInput& input, const QString& wineProgram)
{
    if (wineProgram.isEmpty())
        return {CompilerPath(input.binDir), CompilerArguments(input, PathForm::Native)};
    return {wineProgram,
            QStringList{WinePath(CompilerPath(input.binDir))} + CompilerArguments(input, PathForm::Wine)};
}

bool IsWindowsExecutable(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(2) == "MZ";
}

QProcessEnvironment CompilerEnvironment(const QString& b3dDir, const QString& binDir,
                                        PathForm form, const QProcessEnvironment& system)
{
    QProcessEnvironment env;
    if (form == PathForm::Native) {
        env.insert(QStringLiteral("blitzpath"), b3dDir);
        env.insert(QStringLiteral("path"), binDir);
        return env;
    }
    env.insert(QStringLiteral("blitzpath"), WinePath(b3dDir));
    env.insert(QStringLiteral("path"), WinePath(binDir));
    static const char* const kWineNeeds[] = {
        "HOME",      "USER",       "LOGNAME",    "DISPLAY",    "WAYLAND_DISPLAY",  "XAUTHORITY",
        "XDG_RUNTIME_DIR", "WINEPREFIX", "WINEARCH", "WINELOADER", "WINESERVER", "WINEDLLOVERRIDES",
        "WINEDEBUG",
    };
    for (const char* name : kWineNeeds) {
        const QString key = QString::fromLatin1(name);
        if (system.contains(key))
            env.insert(key, system.value(key));
    }
    if (!env.contains(QStringLiteral("WINEDEBUG")))
        env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    return env;
}
