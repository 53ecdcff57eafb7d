// The program's arguments, any number of any bytes (NUL-separated in the
// input): each becomes a document path, absolute or empty, with no quote
// left in it, the same when given again; and the paths of a start reach the
// running program as they are.
#include "FuzzCheck.h"
#include "startup/CommandLine.h"
#include "startup/InstanceMessage.h"

#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList arguments;
    for (const QByteArray& argument : input.split('\0'))
        arguments << QString::fromLocal8Bit(argument);

    const QStringList documents = CommandLineDocuments(arguments);
    FUZZ_CHECK(documents.size() == arguments.size());
    for (qsizetype i = 0; i < documents.size(); ++i) {
        FUZZ_CHECK(documents[i].isEmpty() == QString(arguments[i]).remove(u'"').isEmpty());
        FUZZ_CHECK(!documents[i].contains(u'"') && (documents[i].isEmpty() || QFileInfo(documents[i]).isAbsolute()));
    }
    FUZZ_CHECK(CommandLineDocuments(documents) == documents);

    QStringList received;
    if (const std::optional<QByteArray> message = instance::Encode(documents))
        FUZZ_CHECK(instance::Decode(*message, received) == instance::Received::Whole && received == documents);
    return 0;
}
