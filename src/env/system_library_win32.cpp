#include "env/system_library_win32.h"

#include <string>

namespace mb {

HMODULE SystemLibrary(const char* name) {
    if (HMODULE loaded = GetModuleHandleA(name)) return loaded;
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryA((std::string(folder, length) + "\\" + name).c_str());
}

}  // namespace mb
