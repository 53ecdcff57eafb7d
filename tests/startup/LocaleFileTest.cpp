// The shipped locale.txt must hold every label the program asks for, so no
// user ever reads "DEF NOT FOUND".
#include "mainwindow/MenuBar.h"
#include "startup/LabelsFile.h"
#include "support/ProgramDir.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Label keys named in the sources (getValue and format calls on a literal
// key), and those of the menu and toolbar tables.
QStringList KeysAskedForBySources()
{
    QStringList keys;
    const QRegularExpression call(QStringLiteral(R"re((?:getValue|format)\(\s*QStringLiteral\("([A-Za-z0-9_]+)"\))re"));
    const QRegularExpression labelArg(QStringLiteral(R"re(Label\(\s*"([A-Za-z0-9_]+)"\))re"));
    QDirIterator it(QStringLiteral(OVREL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = QString::fromStdString(ReadFileBytes(it.next()));
        for (const auto& re : {call, labelArg}) {
            auto matches = re.globalMatch(source);
            while (matches.hasNext())
                keys << matches.next().captured(1);
        }
    }
    keys << MenuLabelKeys();
    // The labels the dialogs ask for through tables of their own, which the
    // scan above does not see.
    keys << QStringList{
        "blitzdirnotfound", "commandsnotfound", "setting_colors", "setting_ide", "setting_lbblitzdir",
        "setting_lbcommandsdir", "setting_lbfixedsize", "setting_lbidefont", "setting_lblinegutter", "setting_lblines",
        "setting_lbtabsize", "setting_lbwarningfont", "setting_lgmode0", "setting_lgmode1", "setting_lgmode2",
        "setting_mousescroll", "setting_path", "buildfile", "checkfile", "createexe", "casesensitive", "find",
        "findnext", "replace", "replaceall", "replacewith", "searchfor", "searchin", "selection", "wholetext",
        "outputunread", "outputunwritten", "schemenoname", "schemebrackets", "schemeinvisible", "schemebuiltin",
        "compilerbusy", "nooutputpipe", "nocompiler", "nowine"};
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
