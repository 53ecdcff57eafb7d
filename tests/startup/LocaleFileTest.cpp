// The shipped locale.txt must hold every label the program asks for, so no
// user ever reads "DEF NOT FOUND".
#include "mainwindow/MenuBar.h"
#include "startup/LabelsFile.h"
#include "support/ProgramDir.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Label keys named in the sources (getValue calls on a literal key), and
// those of the menu and toolbar tables.
QStringList KeysAskedForBySources()
{
    QStringList keys;
    const QRegularExpression call(QStringLiteral(R"re(getValue\(\s*QStringLiteral\("([A-Za-z0-9_]+)"\))re"));
    const QRegularExpression labelArg(QStringLiteral(R"re(Label\(\s*"([A-Za-z0-9_]+)"\))re"));
    QDirIterator it(QStringLiteral(OVREL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString source = QString::fromUtf8(f.readAll());
        for (const auto& re : {call, labelArg}) {
            auto matches = re.globalMatch(source);
            while (matches.hasNext())
                keys << matches.next().captured(1);
        }
    }
    keys << MenuLabelKeys();
    // Every label the IDE shows, those of the commands still to come
    // included: the scan above only finds keys written out in one way.
    keys << QStringList{
        "parseColorError", "blitzdirnotfound", "commandsnotfound", "setting_b3dfilter", "setting_colors",
        "setting_discard", "setting_ide", "setting_lbblitzdir", "setting_lbcommandsdir", "setting_lbfixedsize",
        "setting_lbidefont", "setting_lblinegutter", "setting_lblines", "setting_lbtabsize",
        "setting_lbwarningfont", "setting_lgmode0", "setting_lgmode1", "setting_lgmode2",
        "setting_mousescroll", "setting_path", "setting_save", "setting_selectb3dtitle",
        "setting_selectcommandstitle", "setting_selectfont", "newfile", "bbf", "closebbf", "openbbf",
        "overwrite", "savebbf", "buildfile", "checkfile", "createexe", "done", "savebeforebuild", "compileerr",
        "cancel", "mnucommandline", "askreplaceall", "casesensitive", "confirmreplace", "find", "findnext",
        "frcaption", "replace", "replaceall", "replacethis", "replacewith", "replMade", "searchfor",
        "searchin", "selection", "textnotfound", "wholetext", "askexit", "l3", "mnuaddbbtoprj", "mnubuildexe",
        "mnucalc", "mnucheck", "mnuclosebbfile", "mnucolor", "mnucompile", "mnucopy", "mnucut",
        "mnudebugenabled", "mnufindreplace", "mnugohome", "mnuhelp", "mnunewbbfile", "mnunext",
        "mnuopenbbfile", "mnupaste", "mnuprefs", "mnuprev", "mnuredo", "mnuremovebbfromprj", "mnusavebbfile",
        "mnusavebbfileall", "mnusavebbfileas", "mnuundo", "colorhex", "colorrgb", "helptab", "mnuabout",
        "mnuautoindent", "mnuautoupdate", "mnuclosebbfileall", "mnucloseproject", "mnucomment", "mnuedit",
        "mnuexit", "mnufile", "mnuindentblock", "mnunewproject", "mnuopenproject", "mnuprogram", "mnurun",
        "mnusaveproject", "mnusaveprojectas", "mnushowhelp", "mnuuncomment", "mnuunindentblock", "l1", "l2"};
    for (int i = 0; i <= 17; ++i)
        keys << QStringLiteral("colorlabel%1").arg(i);
    keys.removeDuplicates();
    return keys;
}

TEST(LocaleFile, HoldsEveryLabelTheProgramAsksFor)
{
    const auto parsed = ParseLabels(ShippedResource("locale.txt"));
    ASSERT_EQ(parsed.errorLine, 0);
    const QStringList keys = KeysAskedForBySources();
    EXPECT_GE(keys.size(), 123);
    for (const QString& key : keys)
        EXPECT_TRUE(parsed.labels.contains(key)) << "locale.txt lacks " << key.toStdString();
}

}  // namespace
