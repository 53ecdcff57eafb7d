#pragma once

#include "editor/EditCtrl.h"

#include "editor/QsciHeaders.h"

// The editing widget inside EditCtrl. It hands keys, mouse releases and
// file drops to EditCtrl before (or instead of) the control's own handling.
class EditorView : public QsciScintilla {
    Q_OBJECT
public:
    explicit EditorView(QWidget* parent);

    int wheelLines = 3;
    // Whether a paste of `data` would insert anything.
    bool CanInsert(const QMimeData* data) const { return canInsertFromMimeData(data); }
    // The selection's background, under the text's own colours. The control
    // takes the palette's highlight whenever the palette changes; this one
    // is put back.
    void SetSelectionColour(const QColor& colour);

Q_SIGNALS:
    // Before the control sees a key; handlers zero the event to keep it.
    void keyDown(EditorKeyEvent* event);
    void keyPress(EditorKeyEvent* event);
    // After the control has handled a key, or after any other input that
    // may have edited the text.
    void inputHandled(bool newLine);
    void mouseUp(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint position);
    // The left button went down with Ctrl held, at a point of the viewport;
    // the control does nothing of its own with it.
    void ctrlClicked(QPoint position);
    void filesDropped(const QStringList& paths);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Types each character of `text` as a key would, also those the control
    // cannot take from a key.
    void TypeCharacters(const QString& text, Qt::KeyboardModifiers modifiers);
    bool SettleDrag(QDropEvent* event) const;

    int m_wheelRest = 0;  // eighths of a degree not yet turned into lines
    QColor m_selection;
};
