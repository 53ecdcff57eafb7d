#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QProcess;
class QTimer;

// The command vocabulary of the Blitz3D install: what its own compiler
// lists with `blitzcc +k` (the runtime's commands as that compiler knows
// them, a modified compiler's extra ones, and the userlibs), read in the
// background and cached per install. Until it is read, or where the
// compiler cannot run, the program keeps commands.txt and the userlibs'
// .decls files.
namespace installcommands {

// What tells one state of an install from another: the size and time of
// its compiler, its runtime and each userlibs/*.decls file. Empty when the
// install has no compiler.
QString Stamp(const QString& b3dDir);

// Where the list is cached, in the program's state folder.
QString CachePath(const QString& stateDir);

// The cached list when the cache was written for `stamp`.
std::optional<std::string> ReadCache(const QString& cachePath, const QString& stamp);
bool WriteCache(const QString& cachePath, const QString& stamp, std::string_view list);

// The `+k` output as a command list (commands.txt's grammar, with the
// result's type character on the name, '%' included): the language's
// keywords, which it lists first, dropped. Empty for output that does not
// start with the keywords, which is not such a list.
std::string CommandsOf(std::string_view keywordList);

}  // namespace installcommands

class InstallCommands : public QObject {
    Q_OBJECT
public:
    enum class Source { Shipped, Reading, Compiler, Failed };

    explicit InstallCommands(QObject* parent = nullptr);
    ~InstallCommands() override;

    // The folders where wine is looked for (the system's PATH when empty).
    void SetSearchPath(const QStringList& folders) { m_searchPath = folders; }
    // Reads the list of the install in `b3dDir`: from the cache at once when
    // the install is as it was, else by running its compiler, which must
    // answer within `timeoutMs`.
    void Start(const QString& b3dDir, const QString& cachePath, int timeoutMs = 30000);

    Source source() const { return m_source; }
    // Why the compiler's list could not be read.
    const QString& reason() const { return m_reason; }
    // The list read, in commands.txt's grammar.
    const std::string& list() const { return m_list; }

Q_SIGNALS:
    // The source or the list changed.
    void Changed();

private:
    void Fail(const QString& reason);
    void Finished();

    QStringList m_searchPath;
    Source m_source = Source::Shipped;
    QString m_reason;
    std::string m_list;
    QString m_stamp, m_cachePath;
    std::unique_ptr<QProcess> m_process;
    QTimer* m_deadline = nullptr;
};
