#pragma once

#include "lsp/Server.h"

#include <QStringList>

struct Layout;

// `ovrel --lsp`: the language server on standard input and output, with no
// window and no display. Logs go to standard error.
namespace lsp {

// The largest message taken: as large as an included file may be. A larger one is answered with an error and its bytes are read
// and dropped as they come, so the server goes on with the next message.
constexpr std::size_t kMaxMessageBytes = std::size_t(64) << 20;

bool IsLspCommand(const QStringList& args);

// The user's Ovrel settings as the window reads them: the command list (the
// install's own, once the window has read it from its compiler), the
// userlibs, the labels and the kinds of warning shown. `blitzPath` stands
// for the settings' Blitz3D folder when not empty.
ServerSetup LoadServerSetup(const Layout& layout, const QString& blitzPath);

// Serves until the client says exit or closes standard input; the exit
// status (0 after a shutdown request, 1 otherwise). A QCoreApplication must exist.
int RunLanguageServer(const Layout& layout);

}  // namespace lsp
