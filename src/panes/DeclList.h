#pragma once

#include "editor/Keywords.h"

#include <QHash>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QListView;
class QTabBar;
class DeclListModel;

// The left pane's list of what the current document declares, one kind at a
// time (constants, globals, types, functions, labels). Names from included
// files and locals are not listed.
class DeclList : public QWidget {
    Q_OBJECT
public:
    explicit DeclList(QWidget* parent = nullptr);
    ~DeclList() override;

    // Rebuilds the list for the selected kind from `keywords` (null: empty),
    // the declarations of the document `docKey`. A rescan of the document
    // shown leaves the list where the user scrolled it, with the declaration
    // the user chose still chosen; a document shown again comes back as the
    // user left it, and one never shown at the top with nothing chosen.
    void RefreshDeclList(const EditorKeywordListPtr& keywords, const QString& docKey);
    void Clear() { RefreshDeclList(nullptr, QString()); }
    // `keywords`, the list shown, was changed in place: `removed` entries
    // left it and `added` ones joined it. Only those rows change; a change
    // of no listed kind changes nothing.
    void ApplyChanges(const EditorKeywordListPtr& keywords, const std::vector<EditorKeywordPtr>& removed,
                      const std::vector<EditorKeywordPtr>& added);

    // The kind shown ("Const", "Globals", "Types", "Functions", "Labels").
    QString SelectedTab() const;
    void SelectTab(const QString& key);
    // Names listed, top to bottom.
    QStringList Names() const;
    // Acts as a double click on the row showing `name`.
    bool Choose(const QString& name);

Q_SIGNALS:
    // A declaration was double-clicked: its entry in the current document.
    void DeclarationChosen(const EditorKeyword& entry);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnActivated(int row);
    // Where the user left the list of one document and kind: the scroll
    // position and the declaration chosen, if any.
    struct Place {
        int scroll = 0;
        EditorKeywordPtr chosen;
        bool selected = false;
    };
    Place CurrentPlace() const;
    // Makes `place` the list's, as far as its declaration is still listed.
    void GoTo(const Place& place);

    QString m_docKey;
    QString m_placeKey;  // the document and kind shown
    QHash<QString, Place> m_places;  // left, by document and kind

    QTabBar* TabStripDocTree;
    QListView* ListView1;
    DeclListModel* m_model;
    EditorKeywordListPtr m_keywords;
    // The list the rows were last made from, and its generation then.
    std::weak_ptr<EditorKeywordList> m_rowsList;
    std::uint32_t m_generation = 0;
    // The rows of lists (or kinds) shown before: showing one again whose
    // entries did not change since goes over none of them.
    struct KeptRows {
        std::weak_ptr<EditorKeywordList> list;
        std::uint32_t generation = 0;
        int kind = 0;
        std::vector<EditorKeywordPtr> rows;
    };
    std::vector<KeptRows> m_kept;
};
