#include "support/AppFixture.h"

#include <QKeyEvent>
#include <QTest>

void AppFixture::Type(const QString& text)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || !editor().isAncestorOf(target))
        target = editor().focusProxy() ? editor().focusProxy() : &editor();
    for (QChar c : text) {
        if (c == u'\n')
            QTest::keyClick(target, Qt::Key_Return);
        else if (c == u'\t')
            QTest::keyClick(target, Qt::Key_Tab);
        else
            QTest::keyClicks(target, QString(c));
    }
}
