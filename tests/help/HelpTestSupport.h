#pragma once

#include "help/HelpBrowser.h"
#include "startup/LabelsFile.h"
#include "support/ProgramDir.h"
#include "support/Wait.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

// A window on screen with a stand-in editor above a help browser.
struct HelpWindow {
    QWidget window;
    QWidget* editor = new QWidget(&window);
    const CUILabels labels = ParseLabels(ShippedResource("locale.txt")).labels;
    HelpBrowser* browser = new HelpBrowser(labels, &window);

    HelpWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(editor);
        layout->addWidget(browser);
        window.resize(640, 480);
        window.show();
    }
};

// Runs `action` and waits until the browser's last completed page is `url`.
inline ::testing::AssertionResult LoadAndWait(HelpBrowser& browser, const std::function<void()>& action,
                                              const QUrl& url)
{
    std::optional<QUrl> last;
    const QMetaObject::Connection c =
        QObject::connect(&browser, &HelpBrowser::DocumentComplete, &browser, [&](const QUrl& done) { last = done; });
    action();
    const bool loaded = WaitUntil([&] { return last == url; });
    QObject::disconnect(c);
    if (loaded)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "waited for " << url.toString().toStdString() << ", at "
                                         << browser.CurrentUrl().toString().toStdString();
}

// What `script` gives back once the page has run it.
inline QVariant RunScript(HelpBrowser& browser, const QString& script)
{
    std::optional<QVariant> result;
    browser.View()->page()->runJavaScript(script, [&](const QVariant& v) { result = v; });
    EXPECT_TRUE(WaitUntil([&] { return result.has_value(); })) << script.toStdString();
    return result.value_or(QVariant());
}
