// Loaded into the installed program by end-to-end tests (LD_PRELOAD), it
// types as a user would, with keys sent to the window, once the window shows
// what the test waits for. OVREL_TYPIST holds the steps, one a line:
//   tabs N      wait until the tab strip holds N tabs (the help tab counts)
//   key KEYS    press a key sequence on the window, e.g. Ctrl+N
//   type TEXT   type TEXT into the editor
// and OVREL_TYPIST_DONE the file written once all are done ("stuck: ..."
// when a message box came up instead).
#include <QApplication>
#include <QFile>
#include <QKeySequence>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QWidget* MainWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == u"mainForm" && w->isVisible())
            return w;
    return nullptr;
}

void Finish(const QByteArray& text)
{
    QFile done(qEnvironmentVariable("OVREL_TYPIST_DONE"));
    if (done.open(QIODevice::WriteOnly))
        done.write(text);
}

// One step; false while it must wait.
bool Step(QWidget& window, const QString& step)
{
    const QString verb = step.section(u' ', 0, 0), rest = step.section(u' ', 1);
    if (verb == u"tabs") {
        auto* tabs = window.findChild<QTabBar*>(QStringLiteral("TabStrip"));
        return tabs && tabs->count() >= rest.toInt();
    }
    // Shortcuts reach only the active window.
    if (QApplication::activeWindow() != &window) {
        window.activateWindow();
        return false;
    }
    if (verb == u"key") {
        const QKeyCombination keys = QKeySequence(rest)[0];
        QTest::keyClick(&window, keys.key(), keys.keyboardModifiers());
    } else if (verb == u"type") {
        auto* editor = window.findChild<QWidget*>(QStringLiteral("EditCtrl"));
        QWidget* target = QApplication::focusWidget();
        if (!target || !editor->isAncestorOf(target))
            target = editor->focusProxy();
        QTest::keyClicks(target, rest);
    }
    return true;
}

void StartTypist()
{
    const QStringList steps = qEnvironmentVariable("OVREL_TYPIST").split(u'\n', Qt::SkipEmptyParts);
    // Queued, so that it runs in the event loop of the QApplication, not in
    // that of the QCoreApplication the program starts with.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [steps] {
            if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
                return;
            auto* timer = new QTimer(qApp);
            auto next = std::make_shared<qsizetype>(0);
            QObject::connect(timer, &QTimer::timeout, qApp, [timer, steps, next] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    timer->stop();
                    const QWidget* label = modal->findChild<QWidget*>(QStringLiteral("qt_msgbox_label"));
                    Finish("stuck: " + (label ? label->property("text").toString() : modal->windowTitle()).toUtf8());
                    return;
                }
                QWidget* window = MainWindow();
                while (window && *next < steps.size() && Step(*window, steps[*next]))
                    ++*next;
                if (*next == steps.size()) {
                    timer->stop();
                    Finish("typed");
                }
            });
            timer->start(50);
        },
        Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartTypist)
