#include "startup/BlitzDir.h"

#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QFileInfo>

bool HoldsCompiler(const QString& root)
{
    return !root.isEmpty()
           && QFileInfo(paths::ResolveOnDisk(paths::Join(root, QStringLiteral("bin/blitzcc.exe")))).isFile();
}

QString BlitzRootFromChoice(const QString& picked)
{
    QString folder = paths::ToSlashes(picked);
    if (!QFileInfo(paths::ResolveOnDisk(folder)).isDir()) {
        const qsizetype cut = folder.lastIndexOf(u'/');
        if (cut < 0)
            return picked;
        folder = cut == 0 ? folder.left(1) : folder.left(cut);
    }
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (HoldsCompiler(folder))
        return folder;
    // Picked inside the installation: its bin folder, or the compiler there.
    const QString above = paths::DirOf(folder);
    const QString parent = above.size() > 1 ? above.chopped(1) : above;
    if (!parent.isEmpty() && HoldsCompiler(parent))
        return parent;
    return folder;
}

BlitzDirGuard::BlitzDirGuard(const Settings& settings, const CUILabels& labels, Prompter& prompter,
                             std::function<void()> openSettings)
    : m_settings(settings), m_labels(labels), m_prompter(prompter), m_openSettings(std::move(openSettings))
{
}

QString BlitzDirGuard::Problem(BlitzNeed need) const
{
    if (m_settings.B3DDir.trimmed().isEmpty())
        return m_labels.getValue(QStringLiteral("blitzdirunset"));
    const QString root = m_settings.B3DRoot();
    if (!QFileInfo(paths::ResolveOnDisk(root)).isDir())
        return m_labels.getValue(QStringLiteral("blitzdirgone")).replace(QStringLiteral("#dir#"), root);
    if (need == BlitzNeed::Compiler && !HoldsCompiler(root))
        return m_labels.getValue(QStringLiteral("blitzccgone")).replace(QStringLiteral("#dir#"), root);
    return {};
}

bool BlitzDirGuard::Require(BlitzNeed need) const
{
    const QString problem = Problem(need);
    if (problem.isEmpty())
        return true;
    if (m_prompter.Ask(problem, MsgIcon::Exclamation, MsgButtons::OkCancel) != MsgAnswer::Ok || !m_openSettings)
        return false;
    m_openSettings();
    return Problem(need).isEmpty();
}
