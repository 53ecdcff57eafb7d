#pragma once

#include <QString>
#include <QStringList>

// Every message box of the program goes through a Prompter, so tests can
// answer them without a person.
enum class MsgIcon { None, Critical, Exclamation, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows `text` captioned with the program's title and returns the answer;
    // closing the box counts as Cancel (or Ok for a box with only Ok).
    virtual MsgAnswer Ask(const QString& text, MsgIcon icon, MsgButtons buttons) = 0;

    // The same under a title of its own in place of the program's.
    virtual MsgAnswer AskTitled(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons)
    {
        (void)title;
        return Ask(text, icon, buttons);
    }

    // The same with buttons named by what they do, where the standard words
    // would mislead (OK where OK throws the user's text away): one caption
    // per button, in the order Ok, Cancel or Yes, No, Cancel.
    virtual MsgAnswer AskNamed(const QString& text, MsgIcon icon, MsgButtons buttons, const QStringList& captions)
    {
        (void)captions;
        return Ask(text, icon, buttons);
    }

    void Tell(const QString& text, MsgIcon icon) { Ask(text, icon, MsgButtons::Ok); }
};
