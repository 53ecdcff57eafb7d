#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <optional>
#include <string>
#include <vector>

// A message's JSON decoded. Long strings (a document's whole text) are
// taken out and unescaped here, straight to UTF-8, before the rest is
// parsed: Qt's parser builds such a string a character at a time, which for
// a file of a few megabytes costs more than checking the program it holds.
namespace lsp {

class Message {
public:
    // Strings of this many bytes or more, as written, are taken out.
    static constexpr qsizetype kLongString = 4096;

    // Nullopt, with why in `error`, for a body that is no JSON.
    static std::optional<Message> Decode(const QByteArray& body, QJsonParseError* error);

    // Whether the JSON is an object, as every message is.
    bool IsObject() const { return m_isObject; }
    const QJsonObject& Object() const { return m_object; }
    // A string value as UTF-8, wherever it was parsed.
    QByteArray Text(const QJsonValue& value) const;

private:
    QJsonObject m_object;
    bool m_isObject = false;
    std::vector<QByteArray> m_long;
};

}  // namespace lsp
