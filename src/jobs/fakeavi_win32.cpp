#include "jobs/fakeavi_win32.h"

#include <windows.h>

namespace mb {

std::string LoadFakeAviResource() {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(1), "FAKEAVI");
    if (info == nullptr) return {};
    const DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr || size == 0) return {};
    // Resource memory belongs to the loaded image: nothing to free.
    const void* data = LockResource(loaded);
    if (data == nullptr) return {};
    return std::string(static_cast<const char*>(data), size);
}

}  // namespace mb
