#pragma once

#include "debugger/Variables.h"

#include <QSet>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class CUILabels;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The stopped program's data: watches, the locals of the chosen frame,
// globals, every type's live objects and the constants, each container
// opened on demand a page at a time. Values that changed since the last
// stop are in bold. It asks for what it shows through `ask`; what the
// answers mean is the Variables logic's.
class VariablesPane : public QWidget {
    Q_OBJECT
public:
    using Ask = std::function<std::optional<VarPage>(const std::string& ref, long long start, long long count)>;
    VariablesPane(const CUILabels& labels, QWidget* parent = nullptr);

    void SetAsk(Ask ask) { m_ask = std::move(ask); }
    void SetSpelling(Spelling spell) { m_spell = std::move(spell); }
    // Fills the pane at a stop, with the locals of `frame` (0 the innermost).
    void Refresh(int frame);
    // Says why there is nothing to show, keeping the watches.
    void Clear(const QString& note);

    // A watch's or a hover's value: "name = value", or why it cannot be
    // read; with `known`, nothing when its first name is no variable.
    QString Evaluate(const QString& expression, int frame, bool known = false);
    QStringList Watches() const { return m_watches; }
    void AddWatch(const QString& expression);

    // For tests and benchmarks: the rows of a group as shown.
    QTreeWidget& tree() const { return *m_tree; }
    // Opens an item's page of parts, or the next page of its parent.
    void Expand(QTreeWidgetItem* item);

    // How many parts a container shows at first, and at each further page.
    static constexpr long long kPage = 100;

private:
    QTreeWidgetItem* AddRow(QTreeWidgetItem* parent, const VarRow& row, const QString& path);
    // Fills a group from `ref`'s answer, asked for unless given.
    void FillGroup(QTreeWidgetItem* group, const std::string& ref, bool globals, bool types,
                   const std::optional<VarPage>& given = std::nullopt);
    void LoadPage(QTreeWidgetItem* item, long long start);
    QTreeWidgetItem* Group(const QString& caption, const QString& path, bool open);
    // Follows `steps` from the variables of `frame`; the row, or why not.
    std::optional<VarRow> Resolve(const std::vector<WatchStep>& steps, int frame, QString* why);
    void FillWatches(int frame);

    const CUILabels& m_labels;
    Ask m_ask;
    Spelling m_spell = [](const std::string& s) { return QString::fromStdString(s); };
    VarWords m_words;
    QTreeWidget* m_tree;
    QLineEdit* m_watchEdit;
    QStringList m_watches;
    ValueHistory m_history;
    // Paths of the containers the user opened, opened again at the next stop.
    QSet<QString> m_open;
    int m_frame = 0;
    bool m_filling = false;
};
