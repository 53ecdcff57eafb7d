#pragma once

#include "editing/ProgramSearch.h"

#include <QWidget>

#include <functional>

class QLabel;
class QStandardItemModel;
class QTreeView;

// The results of a find in the program, in a tab of the panel below the
// editor: grouped by file, each match with its line number and the line's
// text; a click on a match goes there.
class ProgramSearchPane : public QWidget {
    Q_OBJECT
public:
    explicit ProgramSearchPane(QWidget* parent = nullptr);

    // Shows `found` under `title`; `fileTitle` names a file of the model.
    void ShowResults(const QString& title, const std::vector<search::FileMatches>& found,
                     const std::function<QString(const std::string& key)>& fileTitle);
    QString Title() const;
    int FileCount() const;
    // A file's group as shown ("main.bb (3)"), and a match as "line: text".
    QString FileText(int file) const;
    int MatchCount(int file) const;
    QString MatchText(int file, int match) const;
    // Acts as a click on a match.
    void Choose(int file, int match);

Q_SIGNALS:
    void MatchChosen(const std::string& key, std::uint32_t row, std::uint32_t col, std::uint32_t length);
    void ResultsShown();

private:
    QLabel* m_title;
    QTreeView* m_view;
    QStandardItemModel* m_model;
};
