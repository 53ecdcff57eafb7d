#include "support/AppFixture.h"

#include "build/BuildController.h"

#include <QFile>
#include <QKeyEvent>
#include <QTest>

namespace {

QWidget* KeyTarget(EditCtrl& editor)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || !editor.isAncestorOf(target))
        target = editor.focusProxy() ? editor.focusProxy() : &editor;
    return target;
}

}  // namespace

void AppFixture::Type(const QString& text)
{
    for (QChar c : text) {
        if (c == u'\n')
            Key(Qt::Key_Return);
        else if (c == u'\t')
            Key(Qt::Key_Tab);
        else
            QTest::keyClicks(KeyTarget(editor()), QString(c));
    }
}

void AppFixture::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(KeyTarget(editor()), key, modifiers);
}

void AppFixture::FakeCompiler(const std::string& body) const
{
    const QString compiler = dir.write("Blitz3D/bin/blitzcc.exe", "#!/bin/sh\n" + body);
    QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
}

bool AppFixture::BuildFinished() const
{
    return WaitUntil([&] { return !window->build().IsBuilding(); });
}

bool Alive(qint64 pid)
{
    const std::string stat = ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const std::size_t paren = stat.rfind(')');
    return pid > 0 && paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}
