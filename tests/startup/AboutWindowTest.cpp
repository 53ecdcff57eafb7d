#include "startup/AboutWindow.h"

#include "startup/Version.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(AboutWindow, ShowsTheVersionInItsText)
{
    QWidget owner;
    AboutWindow about(&owner);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(about.parentWidget(), &owner);

    const QString text = about.Text();
    EXPECT_TRUE(text.contains("Version : " + version::AboutVersion() + "\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("#version#"));
    EXPECT_TRUE(text.endsWith("Have a nice day!\nThe Ovrel team"));

    const auto* image = about.findChild<QLabel*>("Image1");
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->pixmap().isNull());
}

TEST(AboutWindow, OkHidesItAndItComesBackAsItWas)
{
    AboutWindow about;
    auto* ok = about.findChild<QPushButton*>("cmdOK");
    ASSERT_NE(ok, nullptr);
    const QString text = about.Text();

    about.show();
    ASSERT_TRUE(about.isVisible());
    ok->click();
    EXPECT_FALSE(about.isVisible());

    // Shown modally again, as the help toolbar does: OK ends it.
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.Text(), text);
}

}  // namespace
