// `ovrel --check` without the window's libraries: the window's program
// hands a check over to this one, which loads no more than QtCore, so that
// a check of a large program holds only the program's model.
#include "startup/CheckCommand.h"
#include "startup/Layout.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication core(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (!check::IsCheckCommand(args))
        args.prepend(QStringLiteral("--check"));
    return check::RunCheckCommand(args, Layout::ForExecutable(QCoreApplication::applicationDirPath()), std::cout,
                                  std::cerr);
}
