#include "assist/DlgListVar.h"

#include "assist/PopupPlacement.h"
#include "panes/KindIcons.h"
#include "platform/Text.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <optional>

namespace {

constexpr int kListWidth = 300;  // the rows' area, the scroll bar comes on top
constexpr int kIconSize = 16;
constexpr int kTextLeft = kIconSize + 8;

const QColor kBorder(160, 166, 176);

std::optional<ListKey> ListKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Up: return ListKey::Up;
    case Qt::Key_Down: return ListKey::Down;
    case Qt::Key_PageUp: return ListKey::PageUp;
    case Qt::Key_PageDown: return ListKey::PageDown;
    case Qt::Key_Return:
    case Qt::Key_Enter: return ListKey::Enter;
    case Qt::Key_Tab: return ListKey::Tab;
    case Qt::Key_Escape: return ListKey::Escape;
    default: return std::nullopt;
    }
}

}  // namespace

// The rows, drawn straight from the list's model: only the visible page is
// ever painted, whatever the number of names.
class CompletionRowsView : public QWidget {
public:
    explicit CompletionRowsView(DlgListVar& list) : QWidget(&list), m_list(list)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // The palette's colours, so that the list matches the colour scheme.
        const QPalette& pal = palette();
        const QColor nameText = pal.color(QPalette::Text);
        const QColor typeText = pal.color(QPalette::PlaceholderText);
        QPainter p(this);
        p.fillRect(rect(), pal.color(QPalette::Base));
        const CompletionList& model = m_list.m_model;
        const int rh = m_list.m_rowHeight;
        QFont plain = font();
        QFont bold = font();
        bold.setBold(true);
        int y = 0;
        for (const CompletionRow& row : model.VisibleRows()) {
            const EditorKeyword& entry = model.Item(row.position);
            const QRect rowRect(0, y, width(), rh);
            KindIcon(entry.Kind()).paint(&p, QRect(3, y + (rh - kIconSize) / 2, kIconSize, kIconSize));
            if (row.selected)
                p.fillRect(rowRect.adjusted(kIconSize + 5, 0, 0, 0), pal.color(QPalette::Highlight));
            p.setFont(row.selected ? bold : plain);
            const QFontMetrics fm(p.font());
            const QRect textRect = rowRect.adjusted(kTextLeft, 0, -4, 0);
            const QString name = text::FromBytes(entry.Name);
            const QString type = text::FromBytes(entry.ReturnType);
            const QString whole = fm.elidedText(name + type, Qt::ElideRight, textRect.width());
            if (row.selected || type.isEmpty() || whole.size() != name.size() + type.size()) {
                p.setPen(row.selected ? pal.color(QPalette::HighlightedText) : nameText);
                p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, whole);
            } else {
                // The type a name was declared with reads as a quieter suffix.
                p.setPen(nameText);
                p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, name);
                p.setPen(typeText);
                p.drawText(textRect.adjusted(fm.horizontalAdvance(name), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           type);
            }
            y += rh;
        }
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_list.ClickRow(int(e->position().y()) / m_list.m_rowHeight, false);
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_list.ClickRow(int(e->position().y()) / m_list.m_rowHeight, true);
    }

    void wheelEvent(QWheelEvent* e) override
    {
        QScrollBar* bar = m_list.VScroll1;
        bar->setValue(bar->value() - e->angleDelta().y() / 120 * 3);
        e->accept();
    }

private:
    DlgListVar& m_list;
};

DlgListVar::DlgListVar(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("DlgListVar"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);

    ElTokens = new CompletionRowsView(*this);
    ElTokens->setObjectName(QStringLiteral("ElTokens"));
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setFocusPolicy(Qt::NoFocus);
    connect(VScroll1, &QScrollBar::valueChanged, this, &DlgListVar::OnScroll);

    // Room for the icon and for a name with a little air above and below.
    m_rowHeight = std::max(fontMetrics().height() + 6, kIconSize + 4);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(ElTokens, 1);
    layout->addWidget(VScroll1);
    ElTokens->setFixedHeight(kVisibleRows * m_rowHeight);
    setFixedSize(kListWidth + VScroll1->sizeHint().width() + 2, kVisibleRows * m_rowHeight + 2);
    m_model.setRowsPerPage(kVisibleRows);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBorder);
    setPalette(pal);
    setAutoFillBackground(true);
}

DlgListVar::~DlgListVar() = default;

void DlgListVar::setTokens(const EditorKeywordList& list, bool withCommands, const EditorKeywordList& lead)
{
    m_model = CompletionList(m_vocabulary);
    m_model.setRowsPerPage(kVisibleRows);
    m_model.setTokens(list, withCommands, lead);
    SyncScrollBar();
}

void DlgListVar::updateview(int first, int selected)
{
    m_model.updateview(first, selected);
    SyncScrollBar();
    ElTokens->update();
}

void DlgListVar::ShowNearestToken(std::string_view prefix, bool redraw)
{
    m_model.ShowNearestToken(prefix);
    SyncScrollBar();
    if (redraw)
        ElTokens->update();
}

bool DlgListVar::isSingleToken(std::string_view prefix)
{
    const bool single = m_model.isSingleToken(prefix);
    SyncScrollBar();
    ElTokens->update();
    return single;
}

Narrowed DlgListVar::Narrow(std::string_view word)
{
    const Narrowed narrowed = m_model.Narrow(word);
    SyncScrollBar();
    ElTokens->update();
    return narrowed;
}

bool DlgListVar::ScrollView(int qtKey)
{
    const std::optional<ListKey> key = ListKeyOf(qtKey);
    if (!key)
        return false;
    if (m_model.count() == 0 && *key != ListKey::Enter && *key != ListKey::Tab && *key != ListKey::Escape)
        return true;
    if (m_model.KeyDown(*key) == ListKeyOutcome::Close) {
        hide();
        Q_EMIT Chosen();
        return true;
    }
    SyncScrollBar();
    ElTokens->update();
    return true;
}

void DlgListVar::PlaceAt(QPoint caretOnScreen)
{
    const QScreen* screen = QGuiApplication::screenAt(caretOnScreen);
    if (!screen)
        screen = this->screen();
    move(PopupPosition(caretOnScreen, QPoint(10, 24), size(), screen->availableGeometry()));
}

void DlgListVar::SyncScrollBar()
{
    m_syncing = true;
    VScroll1->setRange(1, m_model.scrollMaximum());
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(m_model.rowsPerPage());
    VScroll1->setValue(m_model.top());
    // Nothing to scroll: the rows take the bar's place.
    VScroll1->setVisible(m_model.scrollMaximum() > 1);
    m_syncing = false;
}

void DlgListVar::OnScroll(int value)
{
    if (m_syncing)
        return;
    m_model.Scroll(value);
    ElTokens->update();
}

void DlgListVar::ClickRow(int row, bool choose)
{
    // A click below the last name chooses nothing.
    if (row < 0 || m_model.top() + row > m_model.count())
        return;
    m_model.ClickRow(row);
    ElTokens->update();
    if (choose) {
        hide();
        Q_EMIT Chosen();
    }
}
