#include "platform/QtCommonDialog.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(QtCommonDialog, OpenChoosesAFolderItsCallerAcceptsAndEntersAnyOther)
{
    TempDir dir;
    dir.write("Install/bin/blitzcc.exe", "");
    dir.write("Other/notes.txt", "");
    FileDialogRequest request;
    request.initialName = dir.path();
    request.acceptFolder = [](const QString& folder) { return folder.endsWith("/Install"); };
    QString entered;
    QTimer::singleShot(0, qApp, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        // As the Open button does.
        const auto open = [&] { QMetaObject::invokeMethod(dialog, "accept"); };
        dialog->selectFile(dir.file("Other"));
        open();
        entered = dialog->directory().absolutePath();
        dialog->selectFile(dir.file("Install"));
        open();
        if (dialog->isVisible())
            dialog->reject();
    });
    QtCommonDialog dialogs;
    EXPECT_EQ(dialogs.OpenFile(request).value_or("cancelled"), dir.file("Install"));
    EXPECT_EQ(entered, dir.file("Other"));
}

}  // namespace
