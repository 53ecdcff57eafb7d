#include "build/DialogCommandLine.h"

#include "startup/Labels.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

TEST(DialogCommandLine, OnlyOkKeepsTheEditedText)
{
    const CUILabels labels;
    const struct {
        QString typed;
        std::function<void(DialogCommandLine&)> finish;
        QString result;
    } rows[] = {
        {" -level 2 \"a b\" ", [](DialogCommandLine& d) { d.cmdOk()->click(); }, " -level 2 \"a b\" "},
        {"", [](DialogCommandLine& d) { d.cmdOk()->click(); }, ""},
        {"typed", [](DialogCommandLine& d) { QTest::keyClick(d.txtCommandLine(), Qt::Key_Return); }, "typed"},
        {"edited", [](DialogCommandLine& d) { d.cmdCancel()->click(); }, "previous"},
        {"edited", [](DialogCommandLine& d) { d.close(); }, "previous"},
        {"edited", [](DialogCommandLine& d) { QTest::keyClick(&d, Qt::Key_Escape); }, "previous"},
    };
    for (const auto& row : rows) {
        bool shown = false;
        QTimer::singleShot(0, qApp, [&] {
            auto* d = qobject_cast<DialogCommandLine*>(QApplication::activeModalWidget());
            ASSERT_TRUE(d);
            shown = true;
            EXPECT_EQ(d->txtCommandLine()->text(), "previous");
            EXPECT_EQ(d->focusWidget(), d->txtCommandLine());
            d->txtCommandLine()->setText(row.typed);
            row.finish(*d);
        });
        EXPECT_EQ(RunCommandLineDialog("previous", labels), row.result) << row.typed.toStdString();
        EXPECT_TRUE(shown);
    }
}
