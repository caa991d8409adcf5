// marobex.exe: the real ports, the program's windows, and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/app_win32.h"
#include "env/files_win32.h"
#include "env/message_box_win32.h"
#include "env/profile_win32.h"
#include "env/registry_win32.h"
#include "env/system_win32.h"
#include "run/process_win32.h"
#include "run/shutdown_win32.h"

namespace {

// The windows are laid out for the system's DPI themselves, so the system
// must not stretch them. Looked up at run time: older systems lack the call.
void DeclareDpiAware() {
    using SetProcessDpiAwareFn = BOOL(WINAPI*)();
    if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
        auto setAware = reinterpret_cast<SetProcessDpiAwareFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
        if (setAware) setAware();
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    DeclareDpiAware();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    mb::MessageBoxesW32 messages;
    mb::ProcessesW32 processes;
    mb::RegistryW32 registry;
    mb::ProfileW32 profile;
    mb::FilesW32 files;
    mb::LocaleW32 locale;
    mb::ClockW32 clock;
    mb::ShutdownW32 shutdown;
    mb::SystemInfoW32 system;
    mb::SystemBrowseDialogs dialogs;

    mb::MarobexApp app({messages, processes, registry, profile, files, locale, clock, shutdown, system, dialogs});
    mb::AppOptions options;
    options.showCommand = showCommand;
    if (!app.Start(instance, options)) return 1;
    messages.SetOwner(app.Window().Handle());
    return app.Run();
}
