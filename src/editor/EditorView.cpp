#include "editor/EditorView.h"

#include "platform/Paths.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QList>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

namespace {

// The control's own accessibility object converts the caret position to a
// character offset by counting from the start of the text on every caret
// update, which makes each keystroke cost time in proportion to its place
// in a long file. A plain accessible widget takes its place.
QAccessibleInterface* PlainAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("EditorView") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    return nullptr;
}

// The character a key types, in the codes Blitz3D programmers know: 13
// Enter, 9 Tab, 8 Backspace, 27 Escape, 32 blank (also with Ctrl).
int TypedCharacter(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Tab:
        return event->modifiers() & Qt::ShiftModifier ? 0 : 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    default:
        break;
    }
    // The whole character, also one beyond 16 bits (an emoji).
    const QList<uint> text = event->text().toUcs4();
    if (text.isEmpty() || text.front() < 32 || text.front() == 127)
        return 0;
    return int(text.front());
}

// Whether the control would drop `text` as the text of one key: it takes a
// single printable 16-bit character, and neither several at once (which some
// input methods send as a key) nor one made of two halves.
bool ControlDrops(const QString& text)
{
    return text.size() > 1 && (text.at(0).isPrint() || text.at(0).isSurrogate());
}

}  // namespace

EditorView::EditorView(QWidget* parent) : QsciScintilla(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(PlainAccessible);
        return true;
    }();
    (void)installed;
    // The control works out the caret's column for its cursorPositionChanged
    // signal on every update by walking its line from the start: in a line of
    // a megabyte that is milliseconds per key. Nothing here uses the signal
    // nor the brace matching the same slot does (EditCtrl reads the caret
    // itself), so the slot goes.
    disconnect(this, SIGNAL(SCN_UPDATEUI(int)), this, SLOT(handleUpdateUI(int)));
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // Ctrl+Shift+Z is how the Linux desktops redo; Ctrl+Y stays as well.
    if (QsciCommand* redo = standardCommands()->find(QsciCommand::Redo))
        redo->setAlternateKey(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z).toCombined());
    // Ctrl+T is the window's Go to Symbol; the control would swap two lines.
    if (QsciCommand* transpose = standardCommands()->find(QsciCommand::LineTranspose))
        transpose->setKey(0);
}

void EditorView::SetSelectionColour(const QColor& colour)
{
    m_selection = colour;
    setSelectionBackgroundColor(colour);
    SendScintilla(SCI_SETSELFORE, false, 0L);
}

void EditorView::changeEvent(QEvent* event)
{
    QsciScintilla::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_selection.isValid())
        SetSelectionColour(m_selection);
}

void EditorView::keyPressEvent(QKeyEvent* event)
{
    EditorKeyEvent down{event->key(), 0, event->modifiers()};
    Q_EMIT keyDown(&down);

    EditorKeyEvent press{event->key(), TypedCharacter(event), event->modifiers()};
    const int typed = press.character;
    if (typed != 0)
        Q_EMIT keyPress(&press);

    // A key code of 0 (text from some input methods) is not one a handler
    // swallowed.
    const bool swallowed = event->key() != 0 && down.key == 0;
    if (swallowed || (typed != 0 && press.character == 0)) {
        event->accept();
        Q_EMIT inputHandled(false);
        return;
    }
    const bool newLine = press.character == 13 && typed == 13 &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool replaced = press.character != typed && press.character > 0;
    const auto character = char32_t(press.character);
    const QString text = replaced ? QString::fromUcs4(&character, 1) : event->text();
    // The line break and the indentation that follows it undo as one step.
    if (newLine)
        SendScintilla(SCI_BEGINUNDOACTION);
    if (replaced || ControlDrops(text)) {
        // A handler asked for another character, or the control would drop
        // these.
        TypeCharacters(text, event->modifiers());
        event->accept();
    } else {
        QsciScintilla::keyPressEvent(event);
    }
    Q_EMIT inputHandled(newLine);
    if (newLine)
        SendScintilla(SCI_ENDUNDOACTION);
}

void EditorView::TypeCharacters(const QString& text, Qt::KeyboardModifiers modifiers)
{
    for (const uint c : text.toUcs4()) {
        const auto ch = char32_t(c);
        const QString one = QString::fromUcs4(&ch, 1);
        if (one.size() == 1) {
            QKeyEvent key(QEvent::KeyPress, 0, modifiers, one);
            QsciScintilla::keyPressEvent(&key);
        } else {
            // As the control types a character: over the selection, one
            // undoable step, and announced.
            SendScintilla(SCI_REPLACESEL, one.toUtf8().constData());
            Q_EMIT SCN_CHARADDED(int(c));
        }
    }
}

void EditorView::inputMethodEvent(QInputMethodEvent* event)
{
    QsciScintilla::inputMethodEvent(event);
    Q_EMIT inputHandled(false);
}

void EditorView::mousePressEvent(QMouseEvent* event)
{
    // The right button only reports its release; it neither moves the caret
    // nor opens a menu of the control's own.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ControlModifier) {
        event->accept();
        Q_EMIT ctrlClicked(event->position().toPoint());
        return;
    }
    QsciScintilla::mousePressEvent(event);
}

void EditorView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        QsciScintilla::mouseReleaseEvent(event);
    Q_EMIT inputHandled(false);
    Q_EMIT mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void EditorView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

void EditorView::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    if (delta.y() == 0 || (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
        QsciScintilla::wheelEvent(event);
        return;
    }
    m_wheelRest += delta.y();
    const int steps = m_wheelRest / 120;
    m_wheelRest -= steps * 120;
    if (steps != 0)
        SendScintilla(SCI_LINESCROLL, 0, static_cast<long>(-steps * std::max(wheelLines, 1)));
    event->accept();
}

// Only files come in from outside; text dragged within the editor still
// moves as usual. True when the event is settled here.
bool EditorView::SettleDrag(QDropEvent* event) const
{
    if (!paths::LocalFiles(event->mimeData()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return true;
    }
    if (event->source() != this) {
        event->ignore();
        return true;
    }
    return false;
}

void EditorView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!SettleDrag(event))
        QsciScintilla::dragEnterEvent(event);
}

void EditorView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!SettleDrag(event))
        QsciScintilla::dragMoveEvent(event);
}

void EditorView::dropEvent(QDropEvent* event)
{
    if (SettleDrag(event)) {
        if (event->isAccepted())
            Q_EMIT filesDropped(paths::LocalFiles(event->mimeData()));
        return;
    }
    QsciScintilla::dropEvent(event);
    Q_EMIT inputHandled(false);
}

