#include "lsp/Run.h"

#include "build/InstallCommands.h"
#include "editor/Vocabulary.h"
#include "language/Program.h"
#include "lsp/Framing.h"
#include "platform/Prompter.h"
#include "startup/LabelsFile.h"
#include "startup/Layout.h"
#include "startup/Preferences.h"
#include "startup/Settings.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <iostream>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace lsp {

namespace {

// The window's message boxes, written to the log: nobody is there to answer.
class LogPrompter : public Prompter {
public:
    MsgAnswer Ask(const QString& text, MsgIcon, MsgButtons buttons) override
    {
        std::cerr << "ovrel --lsp: " << text.toStdString() << '\n';
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
};

unsigned WarningKinds(const Settings& s)
{
    const auto bit = [](lang::WarningKind k) { return 1u << unsigned(k); };
    return (s.WarnNeverAssigned ? bit(lang::WarningKind::NeverAssigned) : 0) |
           (s.WarnHidesGlobal ? bit(lang::WarningKind::HidesGlobal) : 0) |
           (s.WarnMissingReturn ? bit(lang::WarningKind::MissingReturn) : 0);
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, -1);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsLspCommand(const QStringList& args) { return args.contains(QStringLiteral("--lsp")); }

ServerSetup LoadServerSetup(const Layout& layout, const QString& blitzPath)
{
    LogPrompter prompter;
    ServerSetup setup;
    setup.prefsPath = layout.PrefsPath();
    try {
        if (std::optional<CUILabels> labels = LoadLabels(layout.programDir, prompter))
            setup.labels = std::move(*labels);
    } catch (const std::exception& e) {
        std::cerr << "ovrel --lsp: " << e.what() << '\n';
    }
    Settings settings;
    settings.ProgramDir = layout.programDir;
    try {
        LoadSettings(layout, settings, setup.labels, prompter);
    } catch (const std::exception& e) {
        std::cerr << "ovrel --lsp: " << e.what() << '\n';
    }
    if (!blitzPath.isEmpty())
        settings.B3DDir = blitzPath;
    setup.helpDir = settings.B3DHelpDir();
    setup.warnings = WarningKinds(settings);
    setup.commentChar = settings.CommentChar.isEmpty() ? ';' : char(settings.CommentChar.front().toLatin1());
    setup.stringChar = settings.StringChar.isEmpty() ? '"' : char(settings.StringChar.front().toLatin1());

    auto commands = std::make_shared<EditorKeywordList>();
    try {
        LoadCommands(settings, layout.programDir, *commands, prompter);
        LoadDecls(settings, *commands);
    } catch (const std::exception& e) {
        std::cerr << "ovrel --lsp: " << e.what() << '\n';
    }
    // The list the window read from the install's compiler holds the
    // userlibs too: it takes the place of both.
    if (const std::optional<std::string> list = installcommands::ReadCache(
            installcommands::CachePath(layout.stateDir), installcommands::Stamp(settings.B3DRoot()))) {
        auto fromCompiler = std::make_shared<EditorKeywordList>();
        try {
            AddCommands(*list, QStringLiteral("blitzcc +k"),
                        std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, 0}), *fromCompiler);
            commands = std::move(fromCompiler);
        } catch (const std::exception&) {
            // the shipped list stays
        }
    }
    setup.commands = std::move(commands);
    std::cerr << "ovrel --lsp: " << setup.commands->Count() << " commands, Blitz3D folder \""
              << settings.B3DRoot().toStdString() << "\"\n";
    return setup;
}

int RunLanguageServer(const Layout& layout)
{
    // A client that goes away is a failed write, not a signal that kills.
    std::signal(SIGPIPE, SIG_IGN);
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);

    bool writeFailed = false;
    Server server([&layout](const QString& blitzPath) { return LoadServerSetup(layout, blitzPath); },
                  [&writeFailed](const QByteArray& body) {
                      if (!writeFailed && !WriteAll(STDOUT_FILENO, Frame(body))) {
                          writeFailed = true;
                          std::cerr << "ovrel --lsp: the client stopped reading; ending\n";
                          QCoreApplication::exit(1);
                      }
                  });
    QObject::connect(&server, &Server::Exited, &server, [](int code) { QCoreApplication::exit(code); });

    FrameReader reader(kMaxMessageBytes);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &server, [&] {
        std::vector<FrameEvent> events;
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                reader.Feed(buffer, std::size_t(n), events);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                input.setEnabled(false);
                std::cerr << "ovrel --lsp: the client closed the connection\n";
                QCoreApplication::exit(server.ExitCode());
            }
            break;
        }
        for (FrameEvent& e : events) {
            if (e.kind == FrameEvent::Message)
                server.Receive(e.body);
            else
                server.Reject(e.kind == FrameEvent::TooLarge ? kInvalidRequest : kParseError,
                              QString::fromStdString(e.detail));
        }
    });
    std::cerr << "ovrel --lsp: ready\n";
    return QCoreApplication::exec();
}

}  // namespace lsp
