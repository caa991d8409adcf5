// Codec.exe: lists the installed video codecs (Video for Windows
// compressors) and audio codecs (ACM drivers) into c:\Marobex_Codecs.txt,
// one line per codec beginning with its description, ANSI text with CR LF.
// It runs hidden, never shows a window or a message, and writes the file
// whole: to a temporary name first, then moved over the list.
// Exit code 0 when the list was written, 1 when it could not be, 2 when it
// could not be made whole (nothing is written then).
//
// A broken codec may crash the program while it is asked about itself. The
// program then starts itself again, naming on the command line every codec
// that crashed so far (V3 is the fourth video codec, A0 the first audio
// codec), and the new run leaves those out; the list is complete but for
// the broken codecs. A crash anywhere else leaves an unknown part of the
// list missing: the program then writes nothing and ends with exit code 2.
//
// The codec libraries are loaded from the system folder by full path, and
// the search path for the libraries they load leaves out the program's own
// folder (which a user may be able to write to): the program imports only
// libraries that the system always takes from its own folder.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <vfw.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "env/codec_list.h"
#include "env/priority_commands.h"

namespace {

constexpr char kListPath[] = "c:\\Marobex_Codecs.txt";
constexpr int kIncomplete = 2;  // exit code: the list could not be made whole

// The list so far. A codec that crashes while it is asked leaves this
// intact, so the crash handler can still write what was gathered.
std::string g_listText;
volatile LONG g_writing = 0;

// The codecs to leave out (they crashed an earlier run), the command line
// that named them, and the codec being asked right now (empty between).
std::vector<std::string> g_skipped;
std::string g_arguments;
char g_current[16] = "";

// The parts of the Video for Windows and ACM libraries the list needs.
struct CodecApi {
    decltype(&ICInfo) info = nullptr;
    decltype(&ICOpen) open = nullptr;
    decltype(&ICGetInfo) getInfo = nullptr;
    decltype(&ICClose) close = nullptr;
    decltype(&acmDriverEnum) driverEnum = nullptr;
    decltype(&acmDriverDetailsA) driverDetails = nullptr;
};
CodecApi g_api;
bool g_searchSystem32 = false;  // the system knows LOAD_LIBRARY_SEARCH_SYSTEM32
bool g_incomplete = false;      // something other than a probe failed

// Leaves the current folder and the program's own folder out of the search
// for libraries loaded from here on, the codecs' own imports included.
void RestrictLibrarySearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    const auto setDefault = reinterpret_cast<SetDefaultDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_searchSystem32 = true;
        return;
    }
    // Older systems: at least the current folder goes.
    const auto setDirectory = reinterpret_cast<SetDirectory>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDirectory != nullptr) setDirectory("");
}

// A library of the system folder, by its full path.
HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryExA(path, nullptr, g_searchSystem32 ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
}

template <typename Function>
bool Find(HMODULE library, const char* name, Function& function) {
    function = library != nullptr
                   ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                   : nullptr;
    return function != nullptr;
}

bool LoadCodecApi() {
    HMODULE video = LoadSystemLibrary("msvfw32.dll");
    HMODULE audio = LoadSystemLibrary("msacm32.dll");
    return Find(video, "ICInfo", g_api.info) && Find(video, "ICOpen", g_api.open) &&
           Find(video, "ICGetInfo", g_api.getInfo) && Find(video, "ICClose", g_api.close) &&
           Find(audio, "acmDriverEnum", g_api.driverEnum) &&
           Find(audio, "acmDriverDetailsA", g_api.driverDetails);
}

// Marks the codec about to be asked; false when it is to be left out.
bool BeginProbe(char kind, DWORD index) {
    char key[16];
    wsprintfA(key, "%c%lu", kind, static_cast<unsigned long>(index));
    if (std::find(g_skipped.begin(), g_skipped.end(), key) != g_skipped.end()) return false;
    lstrcpyA(g_current, key);
    return true;
}

void EndProbe() { g_current[0] = '\0'; }

std::string ToAnsi(const WCHAR* text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && text[length] != L'\0') ++length;
    if (length == 0) return {};
    const int wide = static_cast<int>(length);
    const int size = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, wide, out.data(), size, nullptr, nullptr);
    return out;
}

template <std::size_t N>
std::string AnsiField(const char (&text)[N]) {
    std::size_t length = 0;
    while (length < N && text[length] != '\0') ++length;
    return std::string(text, length);
}

void ListVideoCodecs() {
    for (DWORD i = 0;; ++i) {
        ICINFO entry{};
        entry.dwSize = sizeof entry;
        if (!g_api.info(ICTYPE_VIDEO, i, &entry)) break;
        if (!BeginProbe('V', i)) continue;
        // A codec that will not open has nothing to tell us about itself
        // and could not be used by an encoder either: it is left out.
        HIC hic = g_api.open(entry.fccType, entry.fccHandler, ICMODE_QUERY);
        if (hic == nullptr) {
            EndProbe();
            continue;
        }
        ICINFO details{};
        details.dwSize = sizeof details;
        const LRESULT got = g_api.getInfo(hic, &details, sizeof details);
        g_api.close(hic);
        EndProbe();
        if (got == 0) continue;
        const DWORD fourcc = details.fccHandler != 0 ? details.fccHandler : entry.fccHandler;
        mb::AppendCodecListLine(
            g_listText,
            mb::CodecListLine(ToAnsi(details.szDescription, std::size(details.szDescription)),
                              ToAnsi(details.szName, std::size(details.szName)), fourcc));
    }
}

// Called by the system: no exception may leave it. One that would (no
// memory for the list) ends the listing, and the list counts as incomplete.
BOOL CALLBACK ListOneAudioCodec(HACMDRIVERID driver, DWORD_PTR instance, DWORD) {
    try {
        DWORD& index = *reinterpret_cast<DWORD*>(instance);
        if (!BeginProbe('A', index++)) return TRUE;
        ACMDRIVERDETAILSA details{};
        details.cbStruct = sizeof details;
        const bool got = g_api.driverDetails(driver, &details, 0) == MMSYSERR_NOERROR;
        EndProbe();
        if (got) {
            mb::AppendCodecListLine(g_listText,
                                    mb::CodecListLine(AnsiField(details.szLongName),
                                                      AnsiField(details.szShortName),
                                                      details.fccComp));
        }
        return TRUE;  // go on with the next driver
    } catch (...) {
        EndProbe();
        g_incomplete = true;
        return FALSE;
    }
}

void ListAudioCodecs() {
    DWORD index = 0;
    g_api.driverEnum(ListOneAudioCodec, reinterpret_cast<DWORD_PTR>(&index), 0);
}

// Writes the text to a new file beside the list, then puts it in the
// list's place, so a reader never sees half a list.
bool WriteList(const char* data, DWORD size) {
    char tempPath[MAX_PATH];
    if (GetTempFileNameA("c:\\", "mbx", 0, tempPath) == 0) return false;
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
        DWORD written = 0;
        ok = (size == 0 || WriteFile(file, data, size, &written, nullptr)) && written == size;
        ok = CloseHandle(file) && ok;
    }
    ok = ok && MoveFileExA(tempPath, kListPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(tempPath);
    return ok;
}

bool WriteGatheredList() {
    if (InterlockedExchange(&g_writing, 1) != 0) return false;
    return WriteList(g_listText.data(), static_cast<DWORD>(g_listText.size()));
}

// Runs this program again with the crashing codec added to those left out,
// and returns its exit code; -1 when it cannot be started.
int RunAgainWithout(const char* key) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return -1;
    std::string commandLine = std::string("\"") + self + "\" " + g_arguments + " " + key;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// A codec that crashes must not take the list with it, nor bring up the
// system's crash dialog. The state of the codec libraries is unknown after
// the crash, so the process is ended without running their clean-up.
LONG WINAPI OnCrash(EXCEPTION_POINTERS*) {
    // Outside a probe nobody knows what is missing: no list at all.
    int code = kIncomplete;
    if (g_current[0] != '\0' && g_skipped.size() < 1000) {
        code = RunAgainWithout(g_current);
        if (code < 0) code = WriteGatheredList() ? 0 : 1;
    }
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    RestrictLibrarySearch();
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // Taking a message from our own queue tells the shell that start-up is
    // over, so the pointer does not show the busy cursor while we run.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    if (PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0)) GetMessageA(&msg, nullptr, 0, 0);
    g_arguments = commandLine != nullptr ? commandLine : "";
    g_skipped = mb::SplitCommandLine(g_arguments);
    SetUnhandledExceptionFilter(OnCrash);
    if (!LoadCodecApi()) return kIncomplete;
    try {
        ListVideoCodecs();
        ListAudioCodecs();
    } catch (...) {
        g_incomplete = true;
    }
    if (g_incomplete) return kIncomplete;
    return WriteGatheredList() ? 0 : 1;
}
