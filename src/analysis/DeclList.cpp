#include "analysis/DeclList.h"

#include "analysis/DeclItems.h"
#include "analysis/KindIcons.h"
#include "platform/Text.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QListView>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

const char* const kTabs[] = {"Const", "Globals", "Types", "Functions", "Labels"};

}  // namespace

// The rows of the list: names with their keys, without a widget per row, so
// that a rebuild after every scan stays cheap on long files.
class DeclListModel : public QAbstractListModel {
public:
    struct Row {
        QString name;
        std::string key;
    };

    // Rebuilds the rows unless they would come out the same: after most
    // rescans nothing listed has changed, and long lists are not rebuilt.
    void Reset(const std::vector<EditorKeywordPtr>& entries, int kind)
    {
        if (kind == m_kind && Same(entries))
            return;
        beginResetModel();
        m_rows.clear();
        m_rows.reserve(entries.size());
        for (const EditorKeywordPtr& e : entries)
            m_rows.push_back({text::FromBytes(e->Name), e->Key});
        m_names.clear();
        for (const EditorKeywordPtr& e : entries)
            m_names.push_back(e->Name);
        m_kind = kind;
        m_icon = KindIcon(kind);
        endResetModel();
    }
    const Row& At(int row) const { return m_rows[std::size_t(row)]; }
    const std::string& NameBytes(int row) const { return m_names[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        if (role == Qt::DisplayRole)
            return At(index.row()).name;
        if (role == Qt::DecorationRole)
            return m_icon;
        return {};
    }

private:
    bool Same(const std::vector<EditorKeywordPtr>& entries) const
    {
        if (entries.size() != m_rows.size())
            return false;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i]->Key != m_rows[i].key || entries[i]->Name != m_names[i])
                return false;
        return true;
    }

    std::vector<Row> m_rows;
    std::vector<std::string> m_names;  // the rows' names as bytes, to compare
    int m_kind = -1;
    QIcon m_icon;
};

DeclList::DeclList(QWidget* parent) : QWidget(parent), m_model(new DeclListModel)
{
    setObjectName(QStringLiteral("DocTreeContainer"));
    TabStripDocTree = new QTabBar(this);
    TabStripDocTree->setObjectName(QStringLiteral("TabStripDocTree"));
    TabStripDocTree->setExpanding(false);
    TabStripDocTree->setDocumentMode(true);
    TabStripDocTree->setUsesScrollButtons(true);
    QFont small = TabStripDocTree->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    TabStripDocTree->setFont(small);
    for (const char* key : kTabs)
        TabStripDocTree->addTab(QString::fromLatin1(key));

    ListView1 = new QListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    m_model->setParent(ListView1);
    ListView1->setModel(m_model);
    ListView1->setUniformItemSizes(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TabStripDocTree);
    layout->addWidget(ListView1, 1);

    connect(TabStripDocTree, &QTabBar::currentChanged, this, [this] { RefreshDeclList(m_keywords); });
    // A double click jumps, whatever the desktop's single-click setting;
    // Enter does the same from the keyboard.
    connect(ListView1, &QListView::doubleClicked, this, [this](const QModelIndex& i) { OnActivated(i.row()); });
    ListView1->installEventFilter(this);
}

bool DeclList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ListView1->currentIndex().isValid()) {
            OnActivated(ListView1->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

DeclList::~DeclList() = default;

QString DeclList::SelectedTab() const
{
    return TabStripDocTree->tabText(TabStripDocTree->currentIndex());
}

void DeclList::SelectTab(const QString& key)
{
    for (int i = 0; i < TabStripDocTree->count(); ++i)
        if (TabStripDocTree->tabText(i) == key)
            TabStripDocTree->setCurrentIndex(i);
}

void DeclList::RefreshDeclList(const EditorKeywordListPtr& keywords)
{
    m_keywords = keywords;
    const std::string tab = SelectedTab().toStdString();
    const std::optional<DeclTab> kind = DeclTabFor(tab);
    if (!kind)
        return;

    const std::vector<EditorKeywordPtr> entries = keywords ? DeclListItems(*keywords, tab) : std::vector<EditorKeywordPtr>();
    // The view keeps its scroll position over the model's reset, so a rescan
    // leaves the list where the user scrolled it.
    m_model->Reset(entries, kind->kind);
}

QStringList DeclList::Names() const
{
    QStringList out;
    for (int i = 0; i < m_model->rowCount(); ++i)
        out << m_model->At(i).name;
    return out;
}

bool DeclList::Choose(const QString& name)
{
    for (int i = 0; i < m_model->rowCount(); ++i) {
        if (m_model->At(i).name == name) {
            ListView1->setCurrentIndex(m_model->index(i));
            OnActivated(i);
            return true;
        }
    }
    return false;
}

void DeclList::OnActivated(int row)
{
    if (row < 0 || row >= m_model->rowCount() || !m_keywords)
        return;
    // A row left over from an earlier scan whose entry is gone does nothing.
    if (const EditorKeyword* entry = FindDeclaration(*m_keywords, m_model->At(row).key, m_model->NameBytes(row)))
        Q_EMIT DeclarationChosen(*entry);
}
