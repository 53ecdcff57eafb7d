#include "startup/AboutWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(AboutWindow, ShowsTheVersionAndOkHidesItUntilItComesBackAsItWas)
{
    QWidget owner;
    AboutWindow about(&owner);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_TRUE(about.isModal());
    const QString text = about.Text();
    EXPECT_TRUE(text.contains("Version : 0.8 build 20\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Have a nice day!\nThe Ovrel team"));
    EXPECT_FALSE(about.findChild<QLabel*>("Image1")->pixmap().isNull());

    auto* ok = about.findChild<QPushButton*>("cmdOK");
    about.show();
    ok->click();
    EXPECT_FALSE(about.isVisible());
    // Shown modally again, as the help toolbar does: OK ends it.
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    EXPECT_EQ(about.Text(), text);
}

}  // namespace
