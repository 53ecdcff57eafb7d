#pragma once

#include "platform/CommonDialog.h"
#include "platform/Prompter.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// A Prompter that records every message and answers from a script. A box
// that finds no scripted answer gets its first button (Ok or Yes), or No
// where it has one while `discarding`, so a test that does not care about a
// message need not script it. A scripted answer the box has no button for
// fails the test: the box asked with other buttons than the test expects.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString text;
        MsgIcon icon;
        MsgButtons buttons;
        QString title;         // empty for the program's own
        QStringList captions;  // the buttons' own names, when they have them
    };

    MsgAnswer Ask(const QString& text, MsgIcon icon, MsgButtons buttons) override
    {
        return Answer({text, icon, buttons, {}, {}});
    }
    MsgAnswer AskTitled(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) override
    {
        return Answer({text, icon, buttons, title, {}});
    }
    MsgAnswer AskNamed(const QString& text, MsgIcon icon, MsgButtons buttons, const QStringList& captions) override
    {
        return Answer({text, icon, buttons, {}, captions});
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
    // Each message as "icon: text", to check the icons with the texts.
    QStringList told() const
    {
        static const char* const icons[] = {"None", "Critical", "Exclamation", "Information", "Question"};
        QStringList out;
        for (const Shown& s : shown)
            out << QString::fromLatin1(icons[int(s.icon)]) + ": " + s.text;
        return out;
    }

    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;
    // Called as each message is shown, to look at the screen it appears on.
    std::function<void()> onShow;
    bool discarding = false;

private:
    MsgAnswer Answer(Shown box)
    {
        shown.push_back(box);
        if (onShow)
            onShow();
        const bool asks = box.buttons == MsgButtons::YesNoCancel;
        if (answers.empty())
            return asks ? (discarding ? MsgAnswer::No : MsgAnswer::Yes) : MsgAnswer::Ok;
        const MsgAnswer a = answers.front();
        answers.pop_front();
        const bool offered = a == MsgAnswer::Ok ? !asks
                             : a == MsgAnswer::Cancel ? box.buttons != MsgButtons::Ok
                                                      : asks;
        EXPECT_TRUE(offered) << "answered " << int(a) << " to a box without that button: "
                             << box.text.toStdString();
        return a;
    }
};

// A CommonDialog whose answers are queued by the test. A dialog that finds
// no queued answer counts as cancelled.
class ScriptedDialog : public CommonDialog {
public:
    std::optional<QString> OpenFile(const FileDialogRequest& r) override
    {
        lastOpen = r;
        startFolders << r.startFolder;
        return take("open:" + r.title, files);
    }
    std::optional<QString> SaveFile(const FileDialogRequest& r) override
    {
        startFolders << r.startFolder;
        return take("save:" + r.title, files);
    }
    std::optional<QString> ChooseFolder(const QString& title, const QString&) override
    {
        return take("folder:" + title, files);
    }
    std::optional<Color> ChooseColor(Color) override { return take("color", colors); }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return take("font", fonts); }

    // std::nullopt entries script a cancel.
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<Color>> colors;
    std::deque<std::optional<FontChoice>> fonts;
    QStringList requests;
    QStringList startFolders;  // of the Open and Save requests
    FileDialogRequest lastOpen;

private:
    template <typename T>
    std::optional<T> take(const QString& request, std::deque<std::optional<T>>& q)
    {
        requests << request;
        std::optional<T> v;  // swapped out: a move trips a false uninitialised warning
        if (!q.empty()) {
            v.swap(q.front());
            q.pop_front();
        }
        return v;
    }
};
