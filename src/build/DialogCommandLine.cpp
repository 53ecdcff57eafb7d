#include "build/DialogCommandLine.h"

#include "startup/Labels.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DialogCommandLine::DialogCommandLine(const CUILabels& labels, QWidget* parent)
    : QDialog(parent),
      m_txtCommandLine(new QLineEdit(this)),
      m_cmdOk(new QPushButton(QStringLiteral("OK"), this)),
      m_cmdCancel(new QPushButton(labels.getValue(QStringLiteral("cancel")), this))
{
    setObjectName(QStringLiteral("DialogCommandLine"));
    setWindowTitle(labels.getValue(QStringLiteral("mnucommandline")));
    m_txtCommandLine->setObjectName(QStringLiteral("txtCommandLine"));
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdOk->setDefault(true);
    m_txtCommandLine->setMinimumWidth(360);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_txtCommandLine);
    layout->addLayout(buttons);

    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        m_accepted = true;
        accept();
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DialogCommandLine::setCmdLine(const QString& text)
{
    m_txtCommandLine->setText(text);
    m_initialCmdLine = text;
}

QString DialogCommandLine::getCmdLine() const
{
    return m_accepted ? m_txtCommandLine->text() : m_initialCmdLine;
}

void DialogCommandLine::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_txtCommandLine->setFocus(Qt::ActiveWindowFocusReason);
}

QString RunCommandLineDialog(const QString& current, const CUILabels& labels, QWidget* owner)
{
    DialogCommandLine dialog(labels, owner);
    dialog.setCmdLine(current);
    dialog.exec();
    return dialog.getCmdLine();
}
