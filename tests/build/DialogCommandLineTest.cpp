#include "build/DialogCommandLine.h"

#include "startup/Labels.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

CUILabels Labels()
{
    CUILabels labels;
    labels.add("Abbrechen", "cancel");
    labels.add("Program command line", "mnucommandline");
    return labels;
}

// Runs the command with `act` done to the dialog once it is up.
QString RunWith(const QString& current, const std::function<void(DialogCommandLine&)>& act)
{
    const CUILabels labels = Labels();
    QTimer::singleShot(0, qApp, [act] {
        auto* dialog = qobject_cast<DialogCommandLine*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        act(*dialog);
    });
    return RunCommandLineDialog(current, labels);
}

}  // namespace

TEST(DialogCommandLine, ShowsItsLabelsAndFocusesTheTextBox)
{
    bool checked = false;
    RunWith("-x", [&](DialogCommandLine& d) {
        EXPECT_EQ(d.windowTitle(), "Program command line");
        EXPECT_EQ(d.cmdOk()->text(), "OK");
        EXPECT_EQ(d.cmdCancel()->text(), "Abbrechen");
        EXPECT_EQ(d.txtCommandLine()->text(), "-x");
        EXPECT_EQ(d.focusWidget(), d.txtCommandLine());
        EXPECT_EQ(d.findChild<QLineEdit*>("txtCommandLine"), d.txtCommandLine());
        checked = true;
        d.cmdCancel()->click();
    });
    EXPECT_TRUE(checked);
}

TEST(DialogCommandLine, OnlyOkKeepsTheEditedText)
{
    const struct {
        const char* name;
        QString typed;
        std::function<void(DialogCommandLine&)> finish;
        QString result;
    } rows[] = {
        {"ok", " -level 2 \"a b\" ", [](DialogCommandLine& d) { d.cmdOk()->click(); },
         " -level 2 \"a b\" "},
        {"ok with an empty box clears it", "", [](DialogCommandLine& d) { d.cmdOk()->click(); }, ""},
        {"enter", "typed", [](DialogCommandLine& d) {
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(d.txtCommandLine(), &enter);
         },
         "typed"},
        {"cancel", "edited", [](DialogCommandLine& d) { d.cmdCancel()->click(); }, "previous"},
        {"closed", "edited", [](DialogCommandLine& d) { d.close(); }, "previous"},
        {"escape", "edited", [](DialogCommandLine& d) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&d, &esc);
         },
         "previous"},
    };
    for (const auto& row : rows) {
        const QString result = RunWith("previous", [&](DialogCommandLine& d) {
            d.txtCommandLine()->setText(row.typed);
            row.finish(d);
        });
        EXPECT_EQ(result, row.result) << row.name;
    }
}
