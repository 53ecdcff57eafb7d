#include "startup/AboutWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(AboutWindow, ShowsTheVersionAndThePictureUntilOk)
{
    QWidget owner;
    AboutWindow about(&owner);
    EXPECT_TRUE(about.Text().contains("Version : 0.8 build 20\n")) << about.Text().toStdString();
    EXPECT_FALSE(about.findChild<QLabel*>("Image1")->pixmap().isNull());
    // Shown modally, as the help toolbar does: OK ends it.
    QTimer::singleShot(0, about.findChild<QPushButton*>("cmdOK"), &QPushButton::click);
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

}  // namespace
