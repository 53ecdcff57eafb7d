#include "navigation/SymbolBox.h"

#include "model/ProgramHost.h"
#include "model/ProgramNames.h"
#include "navigation/Navigator.h"
#include "navigation/ProgramEditor.h"
#include "panes/KindIcons.h"
#include "startup/Labels.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_map>

namespace {

// The best matches of what is typed; a list longer than this is read by
// typing more, not by scrolling.
constexpr std::size_t kMaxMatches = 1000;

}  // namespace

// The rows without a widget each, their names spelled as declared only when
// drawn: a program declares tens of thousands of names.
class SymbolModel : public QAbstractTableModel {
public:
    explicit SymbolModel(ProgramEditor& editor) : m_editor(editor) {}

    void Reset(std::vector<lang::SymbolInfo> symbols)
    {
        beginResetModel();
        m_symbols = std::move(symbols);
        m_names.assign(m_symbols.size(), QString());
        endResetModel();
    }
    const lang::SymbolInfo& At(int row) const { return m_symbols[std::size_t(row)]; }
    // A new look at the program, perhaps another one, at each opening.
    void ForgetFiles(const QString& path)
    {
        m_path = path;
        m_titles.clear();
        m_containers.clear();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_symbols.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const lang::SymbolInfo& s = At(index.row());
        if (role == Qt::DecorationRole && index.column() == 0)
            return s.kind == lang::SymbolKind::Field ? FieldIcon() : KindIcon(programnames::KindOf(s.kind));
        if (role == Qt::TextAlignmentRole && index.column() == 3)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0: return Name(index.row());
        case 1: return Container(s);
        case 2: return Title(s.place.file);
        default: return int(s.place.row) + 1;
        }
    }

    QString Name(int row) const
    {
        QString& name = m_names[std::size_t(row)];
        if (name.isEmpty()) {
            const lang::SymbolInfo& s = At(row);
            ProgramHost& programs = m_editor.host().programs;
            name = QString::fromStdString(
                programnames::Spelling(s, [&programs](const std::string& key, std::uint32_t r) {
                    return programs.LineText(key, r);
                }) +
                s.typeText);
        }
        return name;
    }
    // The type of a field, the function of a local, parameter or label, as
    // its declaration spells it (the model keeps names in lower case).
    QString Container(const lang::SymbolInfo& s) const
    {
        if (s.container.empty())
            return {};
        const bool isType = s.kind == lang::SymbolKind::Field;
        const std::string key = (isType ? "t:" : "f:") + s.container;
        auto it = m_containers.find(key);
        if (it == m_containers.end()) {
            ProgramHost& programs = m_editor.host().programs;
            lang::Program& program = programs.ProgramOf(m_path);
            const std::optional<lang::SymbolInfo> owner =
                isType ? program.TypeNamed(s.container) : program.FunctionNamed(s.container);
            const std::string spelled =
                owner ? programnames::Spelling(*owner, [&programs](const std::string& file, std::uint32_t row) {
                    return programs.LineText(file, row);
                })
                      : s.container;
            it = m_containers.emplace(key, QString::fromStdString(spelled)).first;
        }
        return it->second;
    }
    QString Title(const std::string& key) const
    {
        auto it = m_titles.find(key);
        if (it == m_titles.end())
            it = m_titles.emplace(key, m_editor.TitleOf(key)).first;
        return it->second;
    }

private:
    ProgramEditor& m_editor;
    std::vector<lang::SymbolInfo> m_symbols;
    mutable std::vector<QString> m_names;
    QString m_path;
    mutable std::unordered_map<std::string, QString> m_titles, m_containers;
};

SymbolBox::SymbolBox(ProgramEditor& editor, QWidget* parent)
    : QDialog(parent, Qt::Popup), m_editor(editor), m_filter(new QLineEdit(this)), m_view(new QTreeView(this)),
      m_model(new SymbolModel(editor))
{
    setObjectName(QStringLiteral("SymbolBox"));
    m_filter->setObjectName(QStringLiteral("SymbolFilter"));
    m_filter->setPlaceholderText(editor.host().labels.getValue(QStringLiteral("gotosymbolprompt")));
    m_filter->installEventFilter(this);
    m_model->setParent(this);
    m_view->setObjectName(QStringLiteral("SymbolList"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setHeaderHidden(true);
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->header()->setStretchLastSection(false);
    m_view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column : {1, 2, 3})
        m_view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_filter);
    layout->addWidget(m_view, 1);
    connect(m_filter, &QLineEdit::textChanged, this, &SymbolBox::Narrow);
    connect(m_view, &QTreeView::clicked, this, [this](const QModelIndex& index) { Choose(index.row()); });
}

SymbolBox::~SymbolBox() = default;

void SymbolBox::Open()
{
    m_path = m_editor.CurrentPath();
    if (m_path.isEmpty())
        return;
    m_model->ForgetFiles(m_path);
    m_filter->clear();
    Narrow();
    // Over the top of the window, as wide as half of it.
    QWidget* window = parentWidget()->window();
    const int width = std::max(420, window->width() / 2);
    const QPoint topCentre = window->mapToGlobal(QPoint((window->width() - width) / 2, window->height() / 10));
    setGeometry(QRect(topCentre, QSize(width, std::max(240, window->height() / 2))));
    show();
    activateWindow();
    m_filter->setFocus();
}

void SymbolBox::Narrow()
{
    if (m_path.isEmpty())
        return;
    lang::Program& program = m_editor.host().programs.ProgramOf(m_path);
    const std::string typed = m_filter->text().toStdString();
    std::vector<lang::SymbolInfo> symbols;
    if (typed.empty()) {
        symbols = program.Symbols();
        std::stable_sort(symbols.begin(), symbols.end(),
                         [](const lang::SymbolInfo& a, const lang::SymbolInfo& b) { return a.name < b.name; });
    } else {
        symbols = program.MatchSymbols(typed, kMaxMatches);
    }
    m_model->Reset(std::move(symbols));
    if (m_model->rowCount() > 0)
        m_view->setCurrentIndex(m_model->index(0, 0));
}

void SymbolBox::Choose(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const lang::SymbolInfo s = m_model->At(row);
    hide();
    m_editor.host().navigator.JumpToPlace(m_editor.PlaceOf(s.place.file, s.place.row, s.place.col),
                                         int(s.place.endCol - s.place.col));
}

int SymbolBox::RowCount() const
{
    return m_model->rowCount();
}

QString SymbolBox::RowText(int row) const
{
    QStringList cells;
    for (int column = 0; column < 4; ++column)
        cells << m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
    return cells.join(u' ');
}

int SymbolBox::CurrentRow() const
{
    return m_view->currentIndex().isValid() ? m_view->currentIndex().row() : -1;
}

bool SymbolBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // The typing stays in the box; the keys move in the list.
            QApplication::sendEvent(m_view, event);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Choose(CurrentRow());
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
