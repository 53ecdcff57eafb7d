#include "build/InstallCommands.h"

#include "build/CompilerCommand.h"
#include "language/Lexer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

namespace installcommands {

QString Stamp(const QString& b3dDir)
{
    const QFileInfo compiler(QDir(b3dDir).filePath(QStringLiteral("bin/blitzcc.exe")));
    if (b3dDir.isEmpty() || !compiler.isFile())
        return {};
    QStringList parts;
    const auto add = [&parts](const QFileInfo& f) {
        parts << f.fileName() + QLatin1Char(':') + QString::number(f.size()) + QLatin1Char(':') +
                     QString::number(f.lastModified().toMSecsSinceEpoch());
    };
    add(compiler);
    add(QFileInfo(QDir(b3dDir).filePath(QStringLiteral("bin/runtime.dll"))));
    const QDir userlibs(QDir(b3dDir).filePath(QStringLiteral("userlibs")));
    for (const QFileInfo& f : userlibs.entryInfoList({QStringLiteral("*.decls")}, QDir::Files, QDir::Name))
        add(f);
    return QDir::cleanPath(QFileInfo(b3dDir).absoluteFilePath()) + QLatin1Char('|') + parts.join(QLatin1Char('|'));
}

QString CachePath(const QString& stateDir)
{
    return QDir(stateDir).filePath(QStringLiteral("compiler-commands.txt"));
}

std::optional<std::string> ReadCache(const QString& cachePath, const QString& stamp)
{
    QFile file(cachePath);
    if (stamp.isEmpty() || !QFileInfo(cachePath).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray first = file.readLine().trimmed();
    if (first != stamp.toUtf8())
        return std::nullopt;
    return file.readAll().toStdString();
}

bool WriteCache(const QString& cachePath, const QString& stamp, std::string_view list)
{
    QDir().mkpath(QFileInfo(cachePath).absolutePath());
    QSaveFile file(cachePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(stamp.toUtf8() + '\n');
    file.write(list.data(), qint64(list.size()));
    return file.commit();
}

std::string CommandsOf(std::string_view keywordList)
{
    std::string out;
    int keywords = 0;
    std::size_t start = 0;
    while (start < keywordList.size()) {
        std::size_t end = keywordList.find('\n', start);
        if (end == std::string_view::npos)
            end = keywordList.size();
        std::string_view line = keywordList.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty())
            continue;
        if (lang::IsKeyword(line)) {
            ++keywords;
            continue;
        }
        // "Chr$ ( ascii )": the name with its result's type, and the brackets
        // of a command that gives a value.
        std::string entry(line);
        if (const std::size_t open = entry.find(" ("); open != std::string::npos)
            entry.erase(open, 1);
        if (const std::size_t open = entry.find("( "); open != std::string::npos)
            entry.erase(open + 1, 1);
        if (const std::size_t close = entry.rfind(" )"); close != std::string::npos && close + 2 == entry.size())
            entry.erase(close, 1);
        // An integer result goes without its character there.
        if (const std::size_t open = entry.find('('); open != std::string::npos && open > 0 &&
                                                       std::string_view("%#$").find(entry[open - 1]) == std::string_view::npos)
            entry.insert(open, 1, '%');
        out += entry;
        out += '\n';
    }
    // Anything else a compiler may print (its banner, an error) is no list.
    return keywords >= 10 ? out : std::string();
}

}  // namespace installcommands

InstallCommands::InstallCommands(QObject* parent) : QObject(parent), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        if (m_process)
            Fail(QStringLiteral("no answer in %1 s").arg(m_deadline->interval() / 1000));
    });
}

InstallCommands::~InstallCommands()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

void InstallCommands::Start(const QString& b3dDir, const QString& cachePath, int timeoutMs)
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
        m_process.reset();
    }
    m_stamp = installcommands::Stamp(b3dDir);
    m_cachePath = cachePath;
    if (m_stamp.isEmpty()) {
        Fail(QStringLiteral("no compiler in %1").arg(QDir::toNativeSeparators(b3dDir)));
        return;
    }
    if (std::optional<std::string> cached = installcommands::ReadCache(cachePath, m_stamp)) {
        m_list = std::move(*cached);
        m_source = Source::Compiler;
        Q_EMIT Changed();
        return;
    }
    const QString binDir = QDir(b3dDir).filePath(QStringLiteral("bin")) + QLatin1Char('/');
    const QString compiler = CompilerPath(binDir);
    QString wine;
#ifndef Q_OS_WIN
    if (IsWindowsExecutable(compiler)) {
        wine = QStandardPaths::findExecutable(QStringLiteral("wine"), m_searchPath);
        if (wine.isEmpty()) {
            Fail(QStringLiteral("wine is not installed"));
            return;
        }
    }
#endif
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(wine.isEmpty() ? compiler : wine);
    m_process->setArguments(wine.isEmpty() ? QStringList{QStringLiteral("+k")} : QStringList{compiler, QStringLiteral("+k")});
    m_process->setWorkingDirectory(binDir);
    m_process->setProcessEnvironment(CompilerEnvironment(b3dDir, binDir, wine.isEmpty() ? PathForm::Native : PathForm::Wine,
                                                         QProcessEnvironment::systemEnvironment()));
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process.get(), &QProcess::finished, this, &InstallCommands::Finished);
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Fail(m_process->errorString());
    });
    m_source = Source::Reading;
    Q_EMIT Changed();
    m_deadline->start(timeoutMs);
    m_process->start();
}

void InstallCommands::Fail(const QString& reason)
{
    m_deadline->stop();
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
        // Deleted once its own signal is done with it.
        m_process.release()->deleteLater();
    }
    m_source = Source::Failed;
    m_reason = reason;
    Q_EMIT Changed();
}

void InstallCommands::Finished()
{
    m_deadline->stop();
    const QByteArray output = m_process->readAllStandardOutput();
    const int status = m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
    std::string list = installcommands::CommandsOf(output.toStdString());
    if (status != 0 || list.empty()) {
        const QString first = QString::fromLocal8Bit(output).trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
        Fail(first.isEmpty() ? QStringLiteral("exit status %1").arg(status) : first);
        return;
    }
    m_process.release()->deleteLater();
    installcommands::WriteCache(m_cachePath, m_stamp, list);
    m_list = std::move(list);
    m_source = Source::Compiler;
    Q_EMIT Changed();
}
