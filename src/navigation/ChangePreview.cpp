#include "navigation/ChangePreview.h"

#include "startup/Labels.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <set>

namespace {

// A line as a cell: a line of megabytes (data written as one) is cut.
constexpr qsizetype kMaxShown = 400;

QString Shown(const std::string& line)
{
    QString text = QString::fromUtf8(line.data(), qsizetype(line.size())).trimmed();
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    if (text.size() > kMaxShown)
        text = text.left(kMaxShown) + QChar(0x2026);
    return text;
}

}  // namespace

// The places without a widget each: a rename of a name used thousands of
// times previews at once.
class PreviewModel : public QAbstractTableModel {
public:
    struct Row {
        QString file;
        int line = 0;
        QString before, after;
    };
    void Reset(std::vector<Row> rows, const QStringList& captions)
    {
        beginResetModel();
        m_rows = std::move(rows);
        m_captions = captions;
        endResetModel();
    }
    const Row& At(int row) const { return m_rows[std::size_t(row)]; }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        const Row& r = m_rows[std::size_t(index.row())];
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        switch (index.column()) {
        case 0: return r.file;
        case 1: return r.line;
        case 2: return r.before;
        default: return r.after;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_captions.size())
            return m_captions[section];
        return {};
    }

private:
    std::vector<Row> m_rows;
    QStringList m_captions;
};

ChangePreview::ChangePreview(Setup setup, const CUILabels& labels, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_labels(labels), m_model(new PreviewModel)
{
    setObjectName(QStringLiteral("ChangePreview"));
    setWindowTitle(m_setup.title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    if (!m_setup.namePrompt.isEmpty()) {
        m_name = new QLineEdit(m_setup.name, this);
        m_name->setObjectName(QStringLiteral("PreviewName"));
        auto* form = new QFormLayout;
        form->addRow(m_setup.namePrompt, m_name);
        layout->addLayout(form);
        connect(m_name, &QLineEdit::textChanged, this, &ChangePreview::Replan);
    }
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PreviewStatus"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    m_model->setParent(this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("PreviewList"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setAlternatingRowColors(true);
    m_view->setSelectionMode(QAbstractItemView::NoSelection);
    m_view->header()->setStretchLastSection(true);
    layout->addWidget(m_view, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_confirm = buttons->addButton(m_setup.confirm, QDialogButtonBox::AcceptRole);
    m_confirm->setObjectName(QStringLiteral("PreviewConfirm"));
    buttons->addButton(labels.getValue(QStringLiteral("cancel")), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("PreviewCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(860, 460);

    Replan();
    if (m_name) {
        m_name->setFocus();
        m_name->selectAll();
    } else {
        m_confirm->setFocus();
    }
}

ChangePreview::~ChangePreview() = default;

QString ChangePreview::Name() const
{
    return m_name ? m_name->text() : m_setup.name;
}

void ChangePreview::Replan()
{
    m_plan = m_setup.plan(Name());
    std::vector<PreviewModel::Row> rows;
    std::set<std::string> files;
    if (m_plan.refusal.isEmpty()) {
        std::string lastKey;
        QString title;
        for (const EditPreview& p : PreviewEdits(m_plan.edits, m_setup.lineText)) {
            if (p.key != lastKey) {
                lastKey = p.key;
                title = m_setup.fileTitle(p.key);
                files.insert(p.key);
            }
            rows.push_back({title, int(p.row) + 1, Shown(p.before), Shown(p.after)});
        }
    }
    const std::size_t count = rows.size();
    m_model->Reset(std::move(rows), {m_labels.getValue(QStringLiteral("refsfile")),
                                     m_labels.getValue(QStringLiteral("refsline")),
                                     m_labels.getValue(QStringLiteral("previewbefore")),
                                     m_labels.getValue(QStringLiteral("previewafter"))});
    for (int column : {0, 1})
        m_view->resizeColumnToContents(column);
    m_view->setColumnWidth(2, std::max(160, (m_view->viewport()->width() - m_view->columnWidth(0) - m_view->columnWidth(1)) / 2));
    if (!m_plan.refusal.isEmpty())
        m_status->setText(m_plan.refusal);
    else
        m_status->setText(m_labels.getValue(QStringLiteral("previewcount"))
                              .replace(QStringLiteral("#count#"), QString::number(count))
                              .replace(QStringLiteral("#files#"), QString::number(files.size())));
    m_status->setStyleSheet(m_plan.refusal.isEmpty() ? QString() : QStringLiteral("color: #c62828"));
    // The name it has already renames nothing.
    const bool unchanged = m_name && m_name->text() == m_setup.name;
    m_confirm->setEnabled(m_plan.refusal.isEmpty() && count > 0 && !unchanged);
}

QString ChangePreview::Status() const
{
    return m_status->text();
}

int ChangePreview::RowCount() const
{
    return m_model->rowCount();
}

QStringList ChangePreview::Row(int row) const
{
    const PreviewModel::Row& r = m_model->At(row);
    return {r.file, QString::number(r.line), r.before, r.after};
}
