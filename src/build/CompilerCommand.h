#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The build commands, numbered as the debug log writes them. There is no
// mode 2.
enum class BuildMode { Check = 0, CompileAndRun = 1, BuildExecutable = 3 };

// Everything the compiler's command line is made of.
struct CompilerCommandInput {
    QString binDir;      // the compiler's folder (B3DBinDir)
    QString sourcePath;  // the document's FilePath
    BuildMode mode = BuildMode::Check;
    bool debug = false;  // the debug toggle; only compile-and-run uses it
    QString programCommandLine;  // arguments for the compiled program
};

// How paths are written for the compiler: as they are, or as Wine shows the
// Linux file system to a Windows program.
enum class PathForm { Native, Wine };

// What QProcess is handed: the program and its arguments.
struct ProcessCommand {
    QString program;
    QStringList arguments;
    bool operator==(const ProcessCommand&) const = default;
};

// The compiler's own path: binDir followed by "blitzcc.exe".
QString CompilerPath(const QString& binDir);

// The executable a build writes: the source path cut after its last "." and
// followed by "exe". A file name without any "." gets ".exe" appended, so
// the executable lands beside its source instead of a folder name being cut.
QString ExecutablePath(const QString& sourcePath);

// The command line as the log and the messages show it, with every path in
// double quotes. Compile-and-run always ends with one blank after the source
// path, followed by the program command line (which may be empty).
QString CompilerCommandLine(const CompilerCommandInput& input);

// The program command line split into arguments at blanks; double quotes
// group blanks into one argument and are themselves dropped.
QStringList SplitProgramArguments(const QString& commandLine);

// The arguments after the compiler, with the source and executable paths
// written in `form`. The program's own arguments are passed untouched.
QStringList CompilerArguments(const CompilerCommandInput& input, PathForm form);

// The process to start. An empty `wineProgram` runs the compiler directly;
// otherwise `wineProgram` runs it, with the compiler's path as its first
// argument.
ProcessCommand CompilerProcess(const CompilerCommandInput& input, const QString& wineProgram = {});

// The command as a shell would run it, for a user to paste into a terminal:
// the compiler's "blitzpath" variable, the program and its arguments, each
// quoted where the shell would otherwise read it differently.
QString ShellCommandLine(const ProcessCommand& command, const QString& blitzpath);

// An absolute Linux path as a Windows program under Wine sees it
// ("/home/a/b.bb" gives "Z:\home\a\b.bb"). A path that already holds a drive
// keeps it; any other path only has its separators turned into "\".
QString WinePath(const QString& path);

// True when the file starts with "MZ", the mark of a Windows executable.
bool IsWindowsExecutable(const QString& path);

// The compiler's environment: only "blitzpath" (the Blitz3D folder) and
// "path" (its bin folder). Under Wine both are Wine paths, and the few
// variables Wine itself needs are taken over from `system`; Wine's own
// diagnostics are silenced unless the user asked for them, because they
// would land in the compiler's output.
QProcessEnvironment CompilerEnvironment(const QString& b3dDir, const QString& binDir,
                                        PathForm form,
                                        const QProcessEnvironment& system = {});
