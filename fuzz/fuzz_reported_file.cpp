// The file an error report of the compiler names, found on this disk. The
// input is either a path as the compiler may write it, or (first byte odd)
// the choice of one file of a folder of sources and the letter case and
// separators the report spells it with, as the compiler lower-cases the
// paths of included files. What is found is a file, and one the report names
// whatever the letter case: the very file when it is there as written.
#include "FuzzCheck.h"
#include "build/CompilerError.h"
#include "build/CompilerOutput.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Two folders whose names differ only in case, and non-ASCII names.
const QStringList kFiles = {
    QStringLiteral("Games/Snake/Main.bb"),  QStringLiteral("Games/Snake/Lib/FMOD.bb"),
    QStringLiteral("Games/snake/main.bb"),  QString::fromUtf8("Games/\xC3\x9C" "ber/F\xC3\xBCr.bb"),
    QStringLiteral("Games/a.bb/b.bb"),      QStringLiteral("x"),
};

const QString& Root()
{
    static QTemporaryDir dir;
    static const QString root = [] {
        const QString r = QFileInfo(dir.path()).canonicalFilePath();
        for (const QString& name : kFiles) {
            const QString path = r + u'/' + name;
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            FUZZ_CHECK(f.open(QIODevice::WriteOnly));
        }
        return r;
    }();
    return root;
}

// A file of the folder spelt in the letter case and with the separators the
// input's bits choose, in the Windows code page or in UTF-8.
std::string Spelling(const std::uint8_t* data, std::size_t size, QString* chosen)
{
    *chosen = kFiles[qsizetype(data[0] / 2) % kFiles.size()];
    QString spelt = *chosen;
    for (qsizetype i = 0; i < spelt.size(); ++i) {
        const bool bit = std::size_t(i / 8 + 1) < size && (data[i / 8 + 1] >> (i % 8)) & 1;
        if (spelt[i] == u'/')
            spelt[i] = bit ? u'\\' : u'/';
        else
            spelt[i] = bit ? spelt[i].toUpper() : spelt[i].toLower();
    }
    if (data[0] & 4)
        return spelt.toStdString();
    return text::Utf8ToWindows1252(spelt.toStdString()).value_or(spelt.toStdString());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QString& root = Root();
    QString chosen;
    const std::string tail =
        data[0] & 1 ? Spelling(data, size, &chosen) : std::string(reinterpret_cast<const char*>(data), size);
    (void)ReportedFileOnDisk(tail);
    // A name on Windows holds no quote, which ends it in the report.
    if (tail.find('"') != std::string::npos)
        return 0;
    // How the compiler's bytes read: UTF-8 when they are, else its code page.
    const QString written =
        QString::fromStdString(text::IsValidUtf8(tail) ? tail : text::Windows1252ToUtf8(tail)).replace(u'\\', u'/');
    const QStringList parts = written.split(u'/');
    // "x/." or "x/../x" name no file on this disk.
    const bool plain = !parts.contains(QStringLiteral(".")) && !parts.contains(QStringLiteral(".."));
    const QString meant = QDir::cleanPath(root + u'/' + written);

    const std::string native = root.toStdString() + '/' + tail;
    std::string wine = "Z:" + native;
    std::replace(wine.begin(), wine.end(), '/', '\\');
    for (const std::string& reported : {native, wine}) {
        // Taken from the report line as the build reads it.
        const std::optional<CompilerError> error = ParseErrorLine('"' + reported + "\":3:1:3:1:Not enough parameters");
        FUZZ_CHECK(error && error->file == reported);
        const std::optional<QString> found = ReportedFileOnDisk(error->file);
        if (found)
            FUZZ_CHECK(QFileInfo(*found).isFile() && QDir::cleanPath(*found).compare(meant, Qt::CaseInsensitive) == 0);
        if (!plain)
            continue;
        if (QFileInfo(meant).isFile())
            FUZZ_CHECK(found && QFileInfo(*found).canonicalFilePath() == QFileInfo(meant).canonicalFilePath());
        if (!chosen.isEmpty())
            FUZZ_CHECK(found.has_value());
    }
    return 0;
}
