#pragma once

#include "assist/CallTip.h"

#include <QWidget>

// The call tip: a small frameless window under the caret with the command's
// name and parameters, the one being typed in bold. Like the list it never
// takes the keyboard or activates.
class DlgInlineHelp : public QWidget {
    Q_OBJECT
public:
    explicit DlgInlineHelp(QWidget* parent = nullptr);

    // Prints `tip`; a shown window keeps its place and takes the new
    // text's width.
    void SetTip(const CallTipText& tip);
    const CallTipText& Tip() const { return m_tip; }

    // Sizes the window to the text and puts it at the caret's x, 24 px below
    // the caret point (screen coordinates), kept on the screen.
    void PlaceAt(QPoint caretOnScreen);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont BoldFont() const;
    QSize SizeForTip() const;

    CallTipText m_tip;
};
