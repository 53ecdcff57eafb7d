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
    for (int i = 0; i <= 17; ++i)
        keys << QStringLiteral("colorlabel%1").arg(i);
    keys.removeDuplicates();
    return keys;
}

TEST(LocaleFile, HoldsEveryLabelTheProgramAsksFor)
{
    ProgramDir dir;
    const auto parsed = ParseLabels(ShippedResource("locale.txt"));
    ASSERT_EQ(parsed.errorLine, 0);
    const QStringList keys = KeysAskedForBySources();
    EXPECT_GT(keys.size(), 60);  // the scan found the tables
    for (const QString& key : keys)
        EXPECT_TRUE(parsed.labels.contains(key)) << "locale.txt lacks " << key.toStdString();
}

}  // namespace
