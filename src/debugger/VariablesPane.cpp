#include "debugger/VariablesPane.h"

#include "startup/Labels.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Role { kRef = Qt::UserRole, kPath, kLoaded, kTotal, kMore, kDepth };
// Everything at once: a program's globals, locals or constants.
constexpr long long kAll = 1 << 20;
// Deeper than this, a chain of objects is not opened again by itself.
constexpr int kMostDepth = 24;

const VarRow* Find(const std::optional<VarPage>& page, const std::string& name)
{
    if (!page)
        return nullptr;
    const auto it = std::find_if(page->rows.begin(), page->rows.end(), [&](const VarRow& r) { return r.name == name; });
    return it == page->rows.end() ? nullptr : &*it;
}

}  // namespace

VariablesPane::VariablesPane(const CUILabels& labels, QWidget* parent) : QWidget(parent), m_labels(labels)
{
    setObjectName(QStringLiteral("VariablesPane"));
    m_words = {labels.getValue(QStringLiteral("varnull")), labels.getValue(QStringLiteral("vardeleted")),
               labels.getValue(QStringLiteral("varunreadable")), labels.getValue(QStringLiteral("varobjects")),
               labels.getValue(QStringLiteral("varelements"))};
    m_watchEdit = new QLineEdit(this);
    m_watchEdit->setObjectName(QStringLiteral("WatchEdit"));
    m_watchEdit->setPlaceholderText(labels.getValue(QStringLiteral("addwatch")));
    m_watchEdit->setClearButtonEnabled(true);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("VariablesTree"));
    m_tree->setHeaderLabels({labels.getValue(QStringLiteral("varname")), labels.getValue(QStringLiteral("varvalue"))});
    m_tree->setUniformRowHeights(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->header()->setStretchLastSection(true);
    m_tree->setColumnWidth(0, 260);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_watchEdit);
    layout->addWidget(m_tree, 1);

    connect(m_watchEdit, &QLineEdit::returnPressed, this, [this] {
        AddWatch(m_watchEdit->text().trimmed());
        m_watchEdit->clear();
    });
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!m_filling)
            m_open.insert(item->data(0, kPath).toString());
        if (item->childCount() == 0)
            LoadPage(item, 0);
    });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { m_open.remove(item->data(0, kPath).toString()); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, kMore).toBool())
            Expand(item);
    });
    Clear(labels.getValue(QStringLiteral("debugnotrunning")));
}

void VariablesPane::Clear(const QString& note)
{
    m_tree->clear();
    auto* item = new QTreeWidgetItem(m_tree, {note});
    item->setFlags(Qt::NoItemFlags);
}

QTreeWidgetItem* VariablesPane::Group(const QString& caption, const QString& path, bool open)
{
    auto* group = new QTreeWidgetItem(m_tree, {caption});
    group->setData(0, kPath, path);
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setFirstColumnSpanned(true);
    group->setExpanded(open);
    return group;
}

void VariablesPane::Refresh(int frame)
{
    m_filling = true;
    m_frame = frame;
    m_history.NextStop();
    m_tree->clear();
    if (!m_watches.isEmpty())
        FillWatches(frame);
    FillGroup(Group(m_labels.getValue(QStringLiteral("varlocals")), QStringLiteral("l"), true),
              "l" + std::to_string(frame), false, false);
    // One answer holds the globals and the types' lists.
    const std::optional<VarPage> globals = m_ask ? m_ask("g", 0, kAll) : std::nullopt;
    FillGroup(Group(m_labels.getValue(QStringLiteral("varglobals")), QStringLiteral("g"), true), "g", true, false,
              globals);
    FillGroup(Group(m_labels.getValue(QStringLiteral("vartypes")), QStringLiteral("t"), true), "g", false, true,
              globals);
    QTreeWidgetItem* constants = Group(m_labels.getValue(QStringLiteral("varconstants")), QStringLiteral("c"), false);
    FillGroup(constants, "c", false, false);
    constants->setExpanded(m_open.contains(QStringLiteral("c")));
    m_filling = false;
}

void VariablesPane::FillGroup(QTreeWidgetItem* group, const std::string& ref, bool globals, bool types,
                              const std::optional<VarPage>& given)
{
    const std::optional<VarPage> page = given ? given : m_ask ? m_ask(ref, 0, kAll) : std::nullopt;
    if (!page)
        return;
    std::vector<std::pair<QString, const VarRow*>> rows;
    for (const VarRow& row : page->rows) {
        // The globals' answer holds the types' lists too; each group takes its own.
        if (ref == "g" && (row.kind == 't') != types)
            continue;
        rows.emplace_back(m_spell(row.name), &row);
    }
    if (globals || types)
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
        });
    const QString path = group->data(0, kPath).toString();
    for (const auto& [name, row] : rows)
        AddRow(group, *row, path + u'/' + QString::fromStdString(row->name));
}

QTreeWidgetItem* VariablesPane::AddRow(QTreeWidgetItem* parent, const VarRow& row, const QString& path)
{
    const ShownVar shown = ShowVar(row, m_spell, m_words);
    auto* item = new QTreeWidgetItem(parent, {shown.name, shown.value});
    item->setData(0, kPath, path);
    const int depth = parent->data(0, kDepth).toInt() + 1;
    item->setData(0, kDepth, depth);
    if (m_history.Changed(path, shown.value)) {
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        item->setFont(1, bold);
    }
    // An object met again on the way down is a cycle: it is not opened again.
    bool cycle = false;
    for (QTreeWidgetItem* up = parent; up && !row.child.empty(); up = up->parent())
        cycle = cycle || up->data(0, kRef).toString().toStdString() == row.child;
    if (shown.expandable && !cycle && depth < kMostDepth) {
        item->setData(0, kRef, QString::fromStdString(row.child));
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        if (m_open.contains(path))
            item->setExpanded(true);
    }
    return item;
}

void VariablesPane::Expand(QTreeWidgetItem* item)
{
    if (item->data(0, kMore).toBool()) {
        QTreeWidgetItem* parent = item->parent();
        const long long loaded = parent->data(0, kLoaded).toLongLong();
        delete item;
        LoadPage(parent, loaded);
        return;
    }
    item->setExpanded(true);
}

void VariablesPane::LoadPage(QTreeWidgetItem* item, long long start)
{
    const std::string ref = item->data(0, kRef).toString().toStdString();
    if (ref.empty() || !m_ask)
        return;
    const std::optional<VarPage> page = m_ask(ref, start, kPage);
    if (!page)
        return;
    const QString path = item->data(0, kPath).toString();
    for (const VarRow& row : page->rows)
        AddRow(item, row, path + u'/' + QString::fromStdString(row.name));
    const long long loaded = start + static_cast<long long>(page->rows.size());
    item->setData(0, kLoaded, loaded);
    item->setData(0, kTotal, page->total);
    if (loaded < page->total) {
        auto* more = new QTreeWidgetItem(
            item, {m_labels.format(QStringLiteral("varmore"), {QString::number(loaded), QString::number(page->total)})});
        more->setData(0, kMore, true);
        more->setFirstColumnSpanned(true);
        more->setForeground(0, m_tree->palette().brush(QPalette::PlaceholderText));
    }
}

void VariablesPane::AddWatch(const QString& expression)
{
    if (expression.isEmpty() || m_watches.contains(expression))
        return;
    m_watches << expression;
    if (m_ask && m_tree->topLevelItemCount() > 1)
        Refresh(m_frame);
}

void VariablesPane::FillWatches(int frame)
{
    QTreeWidgetItem* group = Group(m_labels.getValue(QStringLiteral("varwatches")), QStringLiteral("w"), true);
    for (const QString& expression : std::as_const(m_watches)) {
        QString why;
        std::string error;
        const std::optional<std::vector<WatchStep>> steps = ParseWatch(expression.toStdString(), &error);
        const std::optional<VarRow> row = steps ? Resolve(*steps, frame, &why) : std::nullopt;
        if (!row) {
            new QTreeWidgetItem(group, {expression, steps ? why : QString::fromStdString(error)});
            continue;
        }
        QTreeWidgetItem* item = AddRow(group, *row, QStringLiteral("w/") + expression);
        item->setText(0, expression);
    }
}

std::optional<VarRow> VariablesPane::Resolve(const std::vector<WatchStep>& steps, int frame, QString* why)
{
    auto fail = [why](const QString& reason) -> std::optional<VarRow> {
        *why = reason;
        return std::nullopt;
    };
    if (!m_ask)
        return fail(m_labels.getValue(QStringLiteral("debugnotrunning")));
    // A local of the chosen frame first, then a global, then a constant.
    std::optional<VarRow> row;
    for (const std::string& ref : {"l" + std::to_string(frame), std::string("g"), std::string("c")}) {
        const std::optional<VarPage> page = m_ask(ref, 0, kAll);
        if (const VarRow* found = Find(page, steps[0].name)) {
            row = *found;
            break;
        }
    }
    if (!row)
        return fail(m_labels.format(QStringLiteral("varnotfound"), {m_spell(steps[0].name)}));
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const WatchStep& step = steps[i];
        const ShownVar shown = ShowVar(*row, m_spell, m_words);
        if (step.kind == WatchStep::Field) {
            if (row->kind != 'o')
                return fail(m_labels.format(QStringLiteral("varnotobject"), {shown.name, shown.value}));
            const std::optional<VarPage> fields = m_ask(row->child, 0, kAll);
            const VarRow* field = Find(fields, step.name);
            if (!field)
                return fail(m_labels.format(QStringLiteral("varnofield"), {m_spell(step.name)}));
            row = *field;
            continue;
        }
        long long index = step.numbers.empty() ? -1 : step.numbers[0];
        const char want = step.kind == WatchStep::Subscripts ? 'a' : 'v';
        if (row->kind != 'a' || row->child.empty() || row->child[0] != want)
            return fail(m_labels.format(QStringLiteral("varnotarray"), {shown.name}));
        if (step.kind == WatchStep::Subscripts)
            index = FlatIndex(row->type, step.numbers);
        const std::optional<VarPage> element = index < 0 ? std::nullopt : m_ask(row->child, index, 1);
        if (!element || element->rows.empty())
            return fail(m_labels.getValue(QStringLiteral("varoutofrange")));
        row = element->rows.front();
    }
    return row;
}

QString VariablesPane::Evaluate(const QString& expression, int frame, bool known)
{
    std::string error;
    const std::optional<std::vector<WatchStep>> steps = ParseWatch(expression.toStdString(), &error);
    if (!steps)
        return expression + QStringLiteral(": ") + QString::fromStdString(error);
    QString why;
    const std::optional<VarRow> row = Resolve(*steps, frame, &why);
    if (!row && known && why == m_labels.format(QStringLiteral("varnotfound"), {m_spell(steps->front().name)}))
        return {};
    if (!row)
        return expression + QStringLiteral(": ") + why;
    return expression + QStringLiteral(" = ") + ShowVar(*row, m_spell, m_words).value;
}
