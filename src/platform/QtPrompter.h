#pragma once

#include "platform/Prompter.h"


// Message boxes on the desktop, captioned with the program's title and owned
// by the active window.
class QtPrompter : public Prompter {
public:
    MsgAnswer Ask(const QString& text, MsgIcon icon, MsgButtons buttons) override;
    MsgAnswer AskTitled(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) override;
    MsgAnswer AskNamed(const QString& text, MsgIcon icon, MsgButtons buttons, const QStringList& captions) override;

private:
    MsgAnswer Show(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons,
                   const QStringList& captions);
};
