#include "support/AppFixture.h"

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
