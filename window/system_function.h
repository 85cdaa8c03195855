// Functions of newer systems than Windows XP, looked up at run time so that the program
// still starts where they are missing.
#pragma once

#include <windows.h>

namespace zvk {

// `name` in `module`, or null where either is missing.
template <class Function>
Function LookUpFunction(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // Through a generic function pointer, the documented way to convert GetProcAddress's result.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace zvk
