#pragma once

#include "platform/CommonDialog.h"
#include "platform/Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A Prompter that records every message and answers from a script. A box
// that finds no scripted answer gets its first button (Ok or Yes), so a test
// that does not care about a message need not script it.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString text;
        MsgIcon icon;
        MsgButtons buttons;
    };

    MsgAnswer Ask(const QString& text, MsgIcon icon, MsgButtons buttons) override
    {
        shown.push_back({text, icon, buttons});
        if (!answers.empty()) {
            MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::Ok;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }

    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;
};

// A CommonDialog whose answers are queued by the test. A dialog that finds
// no queued answer counts as cancelled.
class ScriptedDialog : public CommonDialog {
public:
    std::optional<QString> OpenFile(const FileDialogRequest& r) override
    {
        requests.push_back(QStringLiteral("open:") + r.title);
        return take(files);
    }
    std::optional<QString> SaveFile(const FileDialogRequest& r) override
    {
        requests.push_back(QStringLiteral("save:") + r.title);
        return take(files);
    }
    std::optional<QString> ChooseFolder(const QString& title, const QString&) override
    {
        requests.push_back(QStringLiteral("folder:") + title);
        return take(files);
    }
    std::optional<Color> ChooseColor(Color) override
    {
        requests.push_back(QStringLiteral("color"));
        return take(colors);
    }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override
    {
        requests.push_back(QStringLiteral("font"));
        return take(fonts);
    }

    // std::nullopt entries script a cancel.
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<Color>> colors;
    std::deque<std::optional<FontChoice>> fonts;
    QStringList requests;

private:
    template <typename T>
    static std::optional<T> take(std::deque<std::optional<T>>& q)
    {
        std::optional<T> v;
        if (!q.empty()) {
            v.swap(q.front());
            q.pop_front();
        }
        return v;
    }
};
