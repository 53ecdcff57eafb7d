// The picture strips beside the program: how they are cut, what a missing or
// broken one does to start-up, and that the strips the build draws hold every
// picture the window asks for.
#include "mainwindow/ToolbarImages.h"
#include "platform/ImageList.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QImage>

#include <utility>

namespace {

// Whether every pixel of `picture` passes `test`.
bool EveryPixel(const QPixmap& picture, bool (*test)(QRgb))
{
    const QImage image = picture.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!test(image.pixel(x, y)))
                return false;
    return true;
}
bool Empty(const QPixmap& picture) { return EveryPixel(picture, [](QRgb c) { return qAlpha(c) == 0; }); }
bool Grey(const QPixmap& picture)
{
    return EveryPixel(picture, [](QRgb c) { return !qAlpha(c) || (qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)); });
}

TEST(ImageList, CutsWholePicturesWithMagentaTransparentAndAnUnreadableStripEndsStartup)
{
    TempDir dir;
    QImage strip(50, 20, QImage::Format_RGB888);  // two and a half pictures
    strip.fill(QColor(255, 0, 255));
    strip.setPixelColor(3, 4, QColor(200, 10, 10));
    strip.setPixelColor(45, 4, QColor(200, 10, 10));
    ASSERT_TRUE(strip.save(dir.file("strip.bmp"), "BMP"));

    ImageList list;
    ASSERT_TRUE(list.Load(dir.file("strip.bmp"), QSize(20, 20)));
    EXPECT_EQ(list.Count(), 2);
    const QImage first = list.Picture(1).toImage();
    EXPECT_EQ(first.size(), QSize(20, 20));
    EXPECT_EQ(first.pixelColor(3, 4), QColor(200, 10, 10));
    EXPECT_EQ(first.pixelColor(0, 0).alpha(), 0);
    EXPECT_TRUE(Empty(list.Picture(2)));
    EXPECT_TRUE(list.Picture(3).isNull());

    // Too low for a picture, missing, or no image at all: refused, unchanged.
    EXPECT_FALSE(list.Load(dir.file("strip.bmp"), QSize(20, 24)));
    EXPECT_FALSE(list.Load(dir.file("none.bmp"), QSize(20, 20)));
    EXPECT_FALSE(list.Load(dir.write("text.bmp", "BM not really"), QSize(20, 20)));
    EXPECT_EQ(list.Count(), 2);

    // A strip that cannot be read ends startup with its message.
    const struct {
        const char* file;
        const char* message;
    } strips[] = {
        {"ToolbarsIcons.bmp", "Error loading Toolbars Icons"},
        {"ToolbarsDisabledIcons.bmp", "Error loading Toolbars Icons"},
        {"SmallIcons.bmp", "Error loading Small Icons"},
        {"VertSplitter.bmp", "Error loading Small Icons"},
    };
    for (const auto& strip : strips) {
        SCOPED_TRACE(strip.file);
        ProgramDir program;
        program.write(strip.file, "not a picture");
        ScriptedPrompter prompter;
        ScriptedDialog dialogs;
        App app(program.path(), prompter, dialogs);
        EXPECT_FALSE(app.Start());
        EXPECT_FALSE(app.mainWindow());
        EXPECT_EQ(prompter.told(), QStringList{"Critical: " + QString(strip.message)});
    }
}

class Pictures : public AppFixture {};

TEST_F(Pictures, TheDrawnStripsHoldEveryPictureTheWindowShows)
{
    const ToolbarImages& images = window->images();
    for (QAction* button : window->menus().buttons) {
        const int n = button->property("picture").toInt();
        SCOPED_TRACE(button->objectName().toStdString() + " picture " + std::to_string(n));
        const QPixmap enabled = images.ToolbarIconList.Picture(n);
        const QPixmap disabled = images.ToolbarDisabledIconList.Picture(n);
        EXPECT_FALSE(Empty(enabled));
        EXPECT_FALSE(Grey(enabled));
        EXPECT_FALSE(Empty(disabled));
        EXPECT_TRUE(Grey(disabled));

        // A scaled screen gets the picture drawn at its size, not blown up.
        const QPixmap sharp = button->icon().pixmap(QSize(20, 20), 2.0);
        EXPECT_EQ(sharp.size(), QSize(40, 40));
        EXPECT_NE(sharp.toImage(), enabled.scaled(40, 40).toImage());
        EXPECT_TRUE(Grey(button->icon().pixmap(QSize(20, 20), 2.0, QIcon::Disabled)));
    }
    // Declaration kinds and tabs (small), the splitter button.
    for (int n : {1, 4, 7, 9, 10, 12, 13, 14, 17, 18, 20})
        EXPECT_FALSE(Empty(images.SmallIconList.Picture(n))) << "small picture " << n;
    for (int n : {1, 2, 3, 4})
        EXPECT_FALSE(Empty(images.SplitterIconList.Picture(n))) << "splitter picture " << n;

    // The tabs show the help picture, then a saved and a modified document's.
    docs().OpenDoc(dir.write("saved.bb", "Cls\r\n"));
    Command("mnuNewBBFile");
    Type("x");
    const auto plain = [](const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); };
    for (const auto& [tab, picture] : {std::pair{0, 7}, {1, 4}, {2, 9}})
        EXPECT_EQ(plain(window->tabs().tabIcon(tab).pixmap(QSize(16, 16), 1.0)),
                  plain(images.SmallIconList.Picture(picture)))
            << "tab " << tab;
}

}  // namespace
