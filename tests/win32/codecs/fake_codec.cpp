// A Video for Windows codec for the tests of Codec.exe. The tests install it
// under several FourCCs; each behaves differently when asked about itself:
//   mbx1  a description outside ASCII ("Café Test Codec")
//   mbx2  no description, a short name ("MbxName")
//   mbx3  neither description nor name
//   mbx4  refuses to open
//   mbx5  crashes when asked for its details
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

namespace {

constexpr DWORD Code(char a, char b, char c, char d) {
    return mmioFOURCC(a, b, c, d);
}

void Copy(WCHAR* target, const WCHAR* text) {
    while ((*target++ = *text++) != L'\0') {
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT WINAPI DriverProc(DWORD_PTR driverId, HDRVR, UINT message,
                                                            LPARAM lParam1, LPARAM lParam2) {
    switch (message) {
        case DRV_LOAD:
        case DRV_FREE:
        case DRV_ENABLE:
        case DRV_DISABLE:
        case DRV_CLOSE:
            return 1;
        case DRV_OPEN: {
            // Opened without parameters the driver is only being loaded.
            const auto* open = reinterpret_cast<const ICOPEN*>(lParam2);
            if (open == nullptr) return 1;
            if (open->fccHandler == Code('m', 'b', 'x', '4')) return 0;
            return static_cast<LRESULT>(open->fccHandler);
        }
        case ICM_GETINFO: {
            auto* info = reinterpret_cast<ICINFO*>(lParam1);
            const auto handler = static_cast<DWORD>(driverId);
            if (handler == Code('m', 'b', 'x', '5')) {
                volatile int* nowhere = nullptr;
                *nowhere = 1;
            }
            if (info == nullptr || lParam2 < static_cast<LPARAM>(sizeof(ICINFO))) return 0;
            info->dwSize = sizeof(ICINFO);
            info->fccType = ICTYPE_VIDEO;
            info->fccHandler = handler;
            info->szName[0] = L'\0';
            info->szDescription[0] = L'\0';
            if (handler == Code('m', 'b', 'x', '1')) {
                Copy(info->szName, L"Mbx1");
                Copy(info->szDescription, L"Caf\u00e9 Test Codec");
            } else if (handler == Code('m', 'b', 'x', '2')) {
                Copy(info->szName, L"MbxName");
            }
            return sizeof(ICINFO);
        }
        default:
            return message < DRV_USER ? 0 : ICERR_UNSUPPORTED;
    }
}
