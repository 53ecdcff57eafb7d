#include "platform/QtCommonDialog.h"
#include "platform/QtPrompter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
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

// A box with a short text is as wide as its title needs, frame buttons
// beside it (it was cut to "O..."), and buttons named by what they do
// answer as the buttons they stand for.
TEST(QtPrompter, ShowsItsWholeTitleAndButtonsNamedByWhatTheyDo)
{
    struct Seen {
        int width = 0, titleWidth = 0;
        QStringList buttons;
    };
    // Looks at the next box and presses its button named `press`.
    const auto answer = [](Seen& seen, const QString& press) {
        QTimer::singleShot(0, qApp, [&seen, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            seen = {box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()), {}};
            QAbstractButton* pressed = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                seen.buttons << b->text();
                if (b->text().remove('&') == press)
                    pressed = b;
            }
            ASSERT_TRUE(pressed);
            pressed->click();
        });
    };
    QtPrompter prompter;
    Seen told, asked;
    answer(told, "OK");
    prompter.Tell("Parsing...", MsgIcon::Critical);
    EXPECT_GE(told.width, told.titleWidth + 150);

    answer(asked, "Keep my text");
    EXPECT_EQ(prompter.AskNamed("Changed on disk.", MsgIcon::Exclamation, MsgButtons::OkCancel,
                                {"Reload from disk", "Keep my text"}),
              MsgAnswer::Cancel);
    asked.buttons.sort();
    EXPECT_EQ(asked.buttons, QStringList({"Keep my text", "Reload from disk"}));
}

}  // namespace
