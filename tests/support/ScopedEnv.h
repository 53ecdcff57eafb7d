#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Sets (or, given nothing, removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : m_name(name), m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        Apply(value);
    }
    ~ScopedEnv() { Apply(m_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Apply(const std::optional<QByteArray>& value) { value ? qputenv(m_name, *value) : qunsetenv(m_name); }

    const char* m_name;
    std::optional<QByteArray> m_old;
};
