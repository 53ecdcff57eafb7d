// `ovrel --lsp` without the window's libraries: the window's program hands
// the server over to this one, which maps no more than QtCore, so that an
// editor's server starts at once and holds only the program models.
#include "lsp/Run.h"
#include "startup/Layout.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication core(argc, argv);
    return lsp::RunLanguageServer(Layout::ForExecutable(QCoreApplication::applicationDirPath()));
}
