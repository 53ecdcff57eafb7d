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
    for (const char32_t c : text.toUcs4()) {
        if (c == '\n')
            Key(Qt::Key_Return);
        else if (c == '\t')
            Key(Qt::Key_Tab);
        else if (c < 0x80)
            QTest::keyClicks(KeyTarget(editor()), QString(QChar(c)));
        else  // as the keyboard sends it: a key of no code, an emoji's two halves together
            QTest::sendKeyEvent(QTest::Click, KeyTarget(editor()), Qt::Key_unknown, QString::fromUcs4(&c, 1), {});
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
