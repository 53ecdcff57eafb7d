#pragma once

#include "editor/QsciHeaders.h"

#include <cstdint>

// Calls straight into the control, with pointer-sized arguments and results
// (SendScintilla returns long, which cannot hold a pointer on 64-bit
// Windows).
class SciCall {
public:
    SciCall() = default;
    explicit SciCall(const QsciScintillaBase* sci)
        : m_fn(reinterpret_cast<Fn>(sci->SendScintillaPtrResult(QsciScintillaBase::SCI_GETDIRECTFUNCTION))),
          m_ptr(sci->SendScintillaPtrResult(QsciScintillaBase::SCI_GETDIRECTPOINTER))
    {
    }

    std::intptr_t operator()(unsigned int msg, std::uintptr_t w = 0, std::intptr_t l = 0) const
    {
        return m_fn(m_ptr, msg, w, l);
    }
    std::intptr_t withPtr(unsigned int msg, std::uintptr_t w, const void* l) const
    {
        return m_fn(m_ptr, msg, w, reinterpret_cast<std::intptr_t>(l));
    }
    explicit operator bool() const { return m_fn != nullptr; }

private:
    using Fn = std::intptr_t (*)(void*, unsigned int, std::uintptr_t, std::intptr_t);
    Fn m_fn = nullptr;
    void* m_ptr = nullptr;
};
