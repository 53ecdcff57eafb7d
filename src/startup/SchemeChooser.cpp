#include "startup/SchemeChooser.h"

#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

SchemeChooser::SchemeChooser(QString schemesPath, const CUILabels& labels, Prompter& prompter, QWidget* parent)
    : QGroupBox(labels.getValue(QStringLiteral("schemes")), parent),
      m_path(std::move(schemesPath)),
      m_labels(labels),
      m_prompter(prompter),
      m_userSchemes(LoadUserSchemes(m_path))
{
    setObjectName(QStringLiteral("fraColorSchemas"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstColorSchemas"));
    m_list->setMaximumWidth(m_list->fontMetrics().averageCharWidth() * 24);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtSchemaName"));
    m_name->setPlaceholderText(labels.getValue(QStringLiteral("schemename")));
    m_name->setAccessibleName(m_name->placeholderText());
    m_name->setMaximumWidth(m_list->maximumWidth());
    m_save = new QPushButton(labels.getValue(QStringLiteral("schemesave")), this);
    m_save->setObjectName(QStringLiteral("cmdSchemaSave"));
    m_delete = new QPushButton(labels.getValue(QStringLiteral("schemedelete")), this);
    m_delete->setObjectName(QStringLiteral("cmdSchemaDelete"));
    for (QPushButton* b : {m_save, m_delete})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_delete);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_name);
    layout->addLayout(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, &SchemeChooser::OnRowChosen);
    connect(m_name, &QLineEdit::textChanged, this, &SchemeChooser::FollowButtons);
    // Enter in the name box saves the scheme, not the whole dialog.
    connect(m_name, &QLineEdit::returnPressed, this, &SchemeChooser::SaveScheme);
    connect(m_save, &QPushButton::clicked, this, &SchemeChooser::SaveScheme);
    connect(m_delete, &QPushButton::clicked, this, &SchemeChooser::DeleteScheme);
    FollowButtons();
}

std::vector<ColorScheme> SchemeChooser::Listed() const
{
    std::vector<ColorScheme> listed;
    if (m_current)
        listed.push_back(*m_current);
    const auto& builtIn = BuiltInSchemes();
    listed.insert(listed.end(), builtIn.begin(), builtIn.end());
    listed.insert(listed.end(), m_userSchemes.begin(), m_userSchemes.end());
    return listed;
}

void SchemeChooser::Follow(const ColorScheme& shown)
{
    m_shown = shown;
    if (!std::exchange(m_followed, true)) {
        const std::vector<ColorScheme> listed = Listed();
        if (std::none_of(listed.begin(), listed.end(),
                         [&](const ColorScheme& s) { return s.colours == shown.colours; }))
            // Not the user's to delete or to save over: only a way back.
            m_current = ColorScheme{m_labels.getValue(QStringLiteral("schemecurrent")), true, shown.colours};
        Fill();
        return;
    }
    SelectShown();
}

void SchemeChooser::Fill()
{
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const ColorScheme& scheme : Listed())
        m_list->addItem(scheme.name);
    SelectShown();
}

void SchemeChooser::SelectShown()
{
    const std::vector<ColorScheme> listed = Listed();
    const auto it = std::find_if(listed.begin(), listed.end(),
                                 [&](const ColorScheme& s) { return s.colours == m_shown.colours; });
    {
        // Only the user's own picks hand colours over.
        const QSignalBlocker quiet(m_list);
        m_list->setCurrentRow(it == listed.end() ? -1 : int(it - listed.begin()));
    }
    FollowButtons();
}

void SchemeChooser::OnRowChosen(int row)
{
    const std::vector<ColorScheme> listed = Listed();
    if (row < 0 || row >= int(listed.size()))
        return;
    const ColorScheme& scheme = listed[std::size_t(row)];
    m_shown = scheme;
    m_name->setText(scheme.builtIn ? QString() : scheme.name);
    FollowButtons();
    Q_EMIT Chosen(scheme);
}

void SchemeChooser::FollowButtons()
{
    const std::vector<ColorScheme> listed = Listed();
    const int row = m_list->currentRow();
    m_delete->setEnabled(row >= 0 && row < int(listed.size()) && !listed[std::size_t(row)].builtIn);
    m_save->setEnabled(!m_name->text().trimmed().isEmpty());
}

void SchemeChooser::SaveScheme()
{
    const QString name = m_name->text().trimmed();
    if (const QString problem = SchemeNameProblem(name); !problem.isEmpty()) {
        m_prompter.Tell(m_labels.format(problem, {name}), MsgIcon::Exclamation);
        return;
    }
    std::vector<ColorScheme> schemes = m_userSchemes;
    auto same = std::find_if(schemes.begin(), schemes.end(),
                             [&](const ColorScheme& s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (same != schemes.end()
        && m_prompter.Ask(m_labels.format(QStringLiteral("schemereplace"), {same->name}),
                          MsgIcon::Question, MsgButtons::OkCancel)
               != MsgAnswer::Ok)
        return;
    const ColorScheme saved{name, false, m_shown.colours};
    if (same != schemes.end())
        *same = saved;
    else
        schemes.push_back(saved);
    if (Store(std::move(schemes)))
        Fill();
}

void SchemeChooser::DeleteScheme()
{
    const std::vector<ColorScheme> listed = Listed();
    const int row = m_list->currentRow();
    if (row < 0 || row >= int(listed.size()) || listed[std::size_t(row)].builtIn)
        return;
    const QString name = listed[std::size_t(row)].name;
    if (m_prompter.Ask(m_labels.format(QStringLiteral("schemedeleteask"), {name}), MsgIcon::Question,
                       MsgButtons::OkCancel)
        != MsgAnswer::Ok)
        return;
    std::vector<ColorScheme> schemes = m_userSchemes;
    std::erase_if(schemes, [&](const ColorScheme& s) { return s.name == name; });
    if (!Store(std::move(schemes)))
        return;
    // The colours stay as they are shown; only the name goes.
    m_name->clear();
    Fill();
}

bool SchemeChooser::Store(std::vector<ColorScheme> schemes)
{
    QString error;
    if (!SaveUserSchemes(m_path, schemes, &error)) {
        m_prompter.Tell(m_labels.format(QStringLiteral("unabletosaveschemes"), {m_path, error}),
                        MsgIcon::Critical);
        return false;
    }
    m_userSchemes = std::move(schemes);
    return true;
}
