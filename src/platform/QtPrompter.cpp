#include "platform/QtPrompter.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

const QString kTitle = QStringLiteral("Ovrel");

// A short text makes a narrow box, whose title the window manager then cuts
// to "O...": the box is kept wide enough for its title and the frame's
// buttons beside it.
void FitTitle(QMessageBox& box, const QString& title)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(title) * 3 / 2 + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

}  // namespace

MsgAnswer QtPrompter::Ask(const QString& text, MsgIcon icon, MsgButtons buttons)
{
    return Show(kTitle, text, icon, buttons, {});
}

MsgAnswer QtPrompter::AskTitled(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons)
{
    return Show(title, text, icon, buttons, {});
}

MsgAnswer QtPrompter::AskNamed(const QString& text, MsgIcon icon, MsgButtons buttons, const QStringList& captions)
{
    return Show(kTitle, text, icon, buttons, captions);
}

MsgAnswer QtPrompter::Show(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons,
                           const QStringList& captions)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QList<QMessageBox::StandardButton> order;
    switch (buttons) {
    case MsgButtons::Ok:
        order = {QMessageBox::Ok};
        break;
    case MsgButtons::OkCancel:
        order = {QMessageBox::Ok, QMessageBox::Cancel};
        break;
    case MsgButtons::YesNoCancel:
        order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        break;
    }
    for (const QMessageBox::StandardButton b : order)
        box.addButton(b);
    for (qsizetype i = 0; i < order.size() && i < captions.size(); ++i)
        box.button(order[i])->setText(captions[i]);
    if (order.size() > 1)
        box.setEscapeButton(QMessageBox::Cancel);
    FitTitle(box, title);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Ok: return MsgAnswer::Ok;
    default: return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
}
