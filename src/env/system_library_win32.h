// Functions of the system libraries that the program needs only now and
// then (the common dialogs, the shell, COM, version resources), loaded from
// the system folder on first use rather than at start: each of them costs
// the start-up time even when it is never called.
#pragma once

#include <windows.h>

namespace mb {

// The library from the system folder (never from the program's folder or
// the working folder); stays loaded. Null when it cannot be loaded.
HMODULE SystemLibrary(const char* name);

// Fn: the function's pointer type, as decltype(&Function). Null when the
// library or the function is missing.
template <typename Fn>
Fn SystemFunction(const char* library, const char* name) {
    HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace mb
