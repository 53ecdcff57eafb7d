#pragma once

#include "debugger/wire/Message.h"

#include <string>
#include <vector>

// Reading a stopped program's variables from the compiler's and the
// runtime's structures.
namespace inspect {

// A frame of the call stack as the runtime gave it: its base pointer and
// the compiler's environment of its function.
struct FrameView {
    void* frame;
    void* env;
};

// The answer line to a "vars" request; `frames` innermost first.
std::string Answer(void* module, void* environment, const std::vector<FrameView>& frames, const wire::Fields& request);

}  // namespace inspect
