#include "panes/DeclList.h"

#include "panes/DeclItems.h"
#include "panes/KindIcons.h"
#include "platform/Text.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {

const char* const kTabs[] = {"Const", "Globals", "Types", "Functions", "Labels"};

}  // namespace

// The rows of the list: the entries themselves, without a widget per row, so
// that the list follows a rescan by its changes alone. A row's text is made
// only when the view shows it.
class DeclListModel : public QAbstractListModel {
public:
    // Rebuilds the rows unless they would come out the same; returns the
    // rows it replaced.
    std::vector<EditorKeywordPtr> Reset(std::vector<EditorKeywordPtr> entries, int kind)
    {
        if (kind == m_kind && entries == m_rows)
            return entries;
        beginResetModel();
        std::swap(m_rows, entries);
        m_kind = kind;
        m_icon = KindIcon(kind);
        endResetModel();
        return entries;
    }
    // Takes the rows to `entries`: the same entries in the same order, but
    // for those of `gone` left out and new ones put in.
    void Apply(const std::vector<EditorKeywordPtr>& entries, const std::unordered_set<const EditorKeyword*>& gone)
    {
        for (int i = int(m_rows.size()) - 1; i >= 0;) {
            if (!gone.contains(m_rows[std::size_t(i)].get())) {
                --i;
                continue;
            }
            int first = i;
            while (first > 0 && gone.contains(m_rows[std::size_t(first - 1)].get()))
                --first;
            beginRemoveRows({}, first, i);
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + i + 1);
            endRemoveRows();
            i = first - 1;
        }
        for (std::size_t k = 0; k < entries.size();) {
            if (k < m_rows.size() && m_rows[k] == entries[k]) {
                ++k;
                continue;
            }
            std::size_t end = k;
            while (end < entries.size() && (k >= m_rows.size() || entries[end] != m_rows[k]))
                ++end;
            beginInsertRows({}, int(k), int(end) - 1);
            m_rows.insert(m_rows.begin() + std::ptrdiff_t(k), entries.begin() + std::ptrdiff_t(k),
                          entries.begin() + std::ptrdiff_t(end));
            endInsertRows();
            k = end;
        }
        if (m_rows != entries)
            Reset(entries, -1);
    }
    const EditorKeywordPtr& At(int row) const { return m_rows[std::size_t(row)]; }
    // The row of `entry`, or else of the first entry of its name and kind (a
    // rescan makes the entries of changed lines anew); -1 when there is none.
    int RowOf(const EditorKeyword& entry) const
    {
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i].get() == &entry)
                return int(i);
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i]->Name == entry.Name && m_rows[i]->Kind() == entry.Kind())
                return int(i);
        return -1;
    }
    int Kind() const { return m_kind; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        if (role == Qt::DisplayRole)
            return text::FromBytes(At(index.row())->Name);
        if (role == Qt::DecorationRole)
            return m_icon;
        return {};
    }

private:
    std::vector<EditorKeywordPtr> m_rows;
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

    connect(TabStripDocTree, &QTabBar::currentChanged, this, [this] { RefreshDeclList(m_keywords, m_docKey); });
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

void DeclList::RefreshDeclList(const EditorKeywordListPtr& keywords, const QString& docKey)
{
    m_keywords = keywords;
    m_docKey = docKey;
    const std::string tab = SelectedTab().toStdString();
    const std::optional<DeclTab> kind = DeclTabFor(tab);
    if (!kind)
        return;
    const QString placeKey = docKey + u'/' + SelectedTab();
    const bool samePlace = placeKey == m_placeKey;
    if (!samePlace && !m_placeKey.isEmpty())
        m_places.insert(m_placeKey, CurrentPlace());

    std::erase_if(m_kept, [](const KeptRows& k) { return k.list.expired(); });
    std::vector<EditorKeywordPtr> entries;
    if (keywords) {
        const auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const KeptRows& k) {
            return k.list.lock() == keywords && k.kind == kind->kind && k.generation == keywords->Generation();
        });
        if (kept != m_kept.end()) {
            entries = std::move(kept->rows);
            m_kept.erase(kept);
        } else {
            entries = DeclListItems(*keywords, tab);
        }
    }
    const EditorKeywordListPtr left = m_rowsList.lock();
    const int leftKind = m_model->Kind();
    std::vector<EditorKeywordPtr> leftRows;
    const Place place = samePlace ? CurrentPlace() : m_places.take(placeKey);
    leftRows = m_model->Reset(std::move(entries), kind->kind);
    GoTo(place);
    m_placeKey = docKey.isEmpty() ? QString() : placeKey;
    if (left && (left != keywords || leftKind != kind->kind)) {
        constexpr std::size_t kKeptLists = 8;
        if (m_kept.size() == kKeptLists)
            m_kept.erase(m_kept.begin());
        m_kept.push_back({left, m_generation, leftKind, std::move(leftRows)});
    }
    m_rowsList = keywords;
    m_generation = keywords ? keywords->Generation() : 0;
}

DeclList::Place DeclList::CurrentPlace() const
{
    const QItemSelectionModel* selection = ListView1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    Place place;
    place.scroll = ListView1->verticalScrollBar()->value();
    if (current.isValid() && current.row() < m_model->rowCount()) {
        place.chosen = m_model->At(current.row());
        place.selected = selection->isSelected(current);
    }
    return place;
}

void DeclList::GoTo(const Place& place)
{
    QItemSelectionModel* selection = ListView1->selectionModel();
    // Rows around the declaration come and go; it stays the one chosen, and
    // no other takes its place when it is gone. The view would scroll to it:
    // the list stays where the user scrolled it instead.
    const int row = place.chosen ? m_model->RowOf(*place.chosen) : -1;
    const bool autoScroll = ListView1->hasAutoScroll();
    ListView1->setAutoScroll(false);
    if (row < 0)
        selection->clear();
    else
        selection->setCurrentIndex(m_model->index(row),
                                   place.selected ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear);
    ListView1->setAutoScroll(autoScroll);
    // Laying out tens of thousands of rows now, to learn how far the list
    // scrolls, would cost every switch of tabs: rows of one height scroll
    // no further than their count, and the layout to come keeps the place.
    QScrollBar* bar = ListView1->verticalScrollBar();
    if (bar->maximum() < place.scroll)
        bar->setMaximum(std::max(place.scroll, m_model->rowCount()));
    bar->setValue(place.scroll);
}

void DeclList::ApplyChanges(const EditorKeywordListPtr& keywords, const std::vector<EditorKeywordPtr>& removed,
                            const std::vector<EditorKeywordPtr>& added)
{
    if (keywords != m_keywords) {
        RefreshDeclList(keywords, m_docKey);
        return;
    }
    const std::string tab = SelectedTab().toStdString();
    const std::optional<DeclTab> kind = DeclTabFor(tab);
    auto listed = [&](const EditorKeywordPtr& e) { return e->Line > 0 && e->Kind() == kind->kind; };
    if (!kind || !keywords || (std::none_of(removed.begin(), removed.end(), listed) &&
                               std::none_of(added.begin(), added.end(), listed)))
        return;
    std::unordered_set<const EditorKeyword*> gone;
    for (const EditorKeywordPtr& e : removed)
        gone.insert(e.get());
    const Place place = CurrentPlace();
    m_model->Apply(DeclListItems(*keywords, tab), gone);
    GoTo(place);
    m_rowsList = keywords;
    m_generation = keywords->Generation();
}

QStringList DeclList::Names() const
{
    QStringList out;
    for (int i = 0; i < m_model->rowCount(); ++i)
        out << text::FromBytes(m_model->At(i)->Name);
    return out;
}

bool DeclList::Choose(const QString& name)
{
    for (int i = 0; i < m_model->rowCount(); ++i) {
        if (text::FromBytes(m_model->At(i)->Name) == name) {
            ListView1->setCurrentIndex(m_model->index(i));
            OnActivated(i);
            return true;
        }
    }
    return false;
}

void DeclList::OnActivated(int row)
{
    // The rows follow every rescan, so a row's entry is in the list, at the
    // line the last scan found it on.
    if (row >= 0 && row < m_model->rowCount())
        Q_EMIT DeclarationChosen(*m_model->At(row));
}
