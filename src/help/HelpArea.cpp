#include "help/HelpArea.h"

#include "help/HelpBrowser.h"

HelpArea::HelpArea(QWidget* editor, HelpBrowser* browser) : m_editor(editor), m_browser(browser)
{
}

HelpBrowser* HelpArea::Browser() const
{
    return m_browser;
}

bool HelpArea::BrowserShown() const
{
    return m_browser && !m_browser->isHidden();
}

void HelpArea::ShowHelpBrowser(bool goHome)
{
    if (!m_browser || BrowserShown())
        return;
    m_browser->show();
    if (m_editor)
        m_editor->hide();
    if (goHome)
        m_browser->GoHome();
}

void HelpArea::ShowEditor()
{
    if (m_editor)
        m_editor->show();
    if (m_browser)
        m_browser->hide();
}

void HelpArea::btHome()
{
    ShowHelpBrowser(false);
    if (m_browser)
        m_browser->GoHome();
}

void HelpArea::btPrev()
{
    ShowHelpBrowser(false);
    if (m_browser)
        m_browser->GoBack();
}

void HelpArea::btNext()
{
    ShowHelpBrowser(false);
    if (m_browser)
        m_browser->GoForward();
}
