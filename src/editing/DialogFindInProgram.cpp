#include "editing/DialogFindInProgram.h"

#include "startup/Labels.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

DialogFindInProgram::DialogFindInProgram(const CUILabels& labels, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DialogFindInProgram"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto label = [&](const char* key) { return labels.getValue(QString::fromLatin1(key)); };
    setWindowTitle(label("fiptitle"));
    searchBox = new QLineEdit(this);
    searchBox->setObjectName(QStringLiteral("fipSearch"));
    searchBox->setMinimumWidth(280);
    replaceBox = new QLineEdit(this);
    replaceBox->setObjectName(QStringLiteral("fipReplace"));
    matchCase = new QCheckBox(label("casesensitive"), this);
    matchCase->setObjectName(QStringLiteral("fipMatchCase"));
    wholeWord = new QCheckBox(label("wholeword"), this);
    wholeWord->setObjectName(QStringLiteral("fipWholeWord"));

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    cmdFindAll = buttons->addButton(label("findall"), QDialogButtonBox::ActionRole);
    cmdFindAll->setObjectName(QStringLiteral("cmdFindAll"));
    cmdReplaceAll = buttons->addButton(label("replaceinprogram"), QDialogButtonBox::ActionRole);
    cmdReplaceAll->setObjectName(QStringLiteral("cmdReplaceInProgram"));
    buttons->addButton(label("close"), QDialogButtonBox::RejectRole);
    cmdFindAll->setDefault(true);

    auto* grid = new QGridLayout(this);
    auto* searchLabel = new QLabel(label("searchfor"), this);
    searchLabel->setBuddy(searchBox);
    auto* replaceLabel = new QLabel(label("replacewith"), this);
    replaceLabel->setBuddy(replaceBox);
    grid->addWidget(searchLabel, 0, 0);
    grid->addWidget(searchBox, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replaceBox, 1, 1);
    grid->addWidget(matchCase, 2, 1);
    grid->addWidget(wholeWord, 3, 1);
    grid->addWidget(buttons, 0, 2, 5, 1);
    grid->setRowStretch(4, 1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdFindAll, &QPushButton::clicked, this, &DialogFindInProgram::FindAllAsked);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &DialogFindInProgram::ReplaceAllAsked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto ready = [this] {
        cmdFindAll->setEnabled(!searchBox->text().isEmpty());
        cmdReplaceAll->setEnabled(!searchBox->text().isEmpty());
    };
    connect(searchBox, &QLineEdit::textChanged, this, ready);
    ready();
}

void DialogFindInProgram::Open(const QString& seed)
{
    if (!seed.trimmed().isEmpty())
        searchBox->setText(seed);
    show();
    raise();
    activateWindow();
    searchBox->setFocus();
    searchBox->selectAll();
}

QString DialogFindInProgram::What() const
{
    return searchBox->text();
}

QString DialogFindInProgram::With() const
{
    return replaceBox->text();
}

search::ProgramOptions DialogFindInProgram::Options() const
{
    search::ProgramOptions options;
    options.matchCase = matchCase->isChecked();
    options.wholeWord = wholeWord->isChecked();
    return options;
}
