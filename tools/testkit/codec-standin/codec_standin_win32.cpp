// Stand-in video codecs for demonstrations: installed under the FourCCs of
// DivX 5 Pro, DivX 4, XviD and the two DivX 3 codecs, the driver describes
// itself as that codec (marked as a stand-in) and refuses to compress.
// Installed under mbx1 to mbx5 it is the tests' codec that misbehaves as
// Codec.exe must survive: a description outside ASCII, only a name, neither,
// one that refuses to open and one that crashes when asked about itself.
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

namespace {

enum class Answer { Describes, RefusesToOpen, Crashes };

struct StandinCodec {
    DWORD fourcc;
    const WCHAR* name;
    const WCHAR* description;
    Answer answer = Answer::Describes;
};

const StandinCodec kCodecs[] = {
    {mmioFOURCC('D', 'X', '5', '0'), L"DivX Pro", L"DivX Pro 5.0.2 Codec (Marobex stand-in)"},
    {mmioFOURCC('D', 'I', 'V', 'X'), L"DivX 4", L"DivX Codec 4.12 (Marobex stand-in)"},
    {mmioFOURCC('X', 'V', 'I', 'D'), L"XviD", L"XviD MPEG-4 Codec (Marobex stand-in)"},
    {mmioFOURCC('D', 'I', 'V', '3'), L"DivX 3 LM", L"DivX ;-) MPEG-4 Low-Motion (Marobex stand-in)"},
    {mmioFOURCC('D', 'I', 'V', '4'), L"DivX 3 FM", L"DivX ;-) MPEG-4 Fast-Motion (Marobex stand-in)"},
    {mmioFOURCC('M', 'B', 'X', '1'), L"Mbx1", L"Caf\u00e9 Test Codec"},
    {mmioFOURCC('M', 'B', 'X', '2'), L"MbxName", L""},
    {mmioFOURCC('M', 'B', 'X', '3'), L"", L""},
    {mmioFOURCC('M', 'B', 'X', '4'), L"", L"", Answer::RefusesToOpen},
    {mmioFOURCC('M', 'B', 'X', '5'), L"", L"", Answer::Crashes},
};

const StandinCodec* Find(DWORD fourcc) {
    // FourCCs come in either letter case.
    const auto upper = [](DWORD v) {
        DWORD out = 0;
        for (int i = 0; i < 4; ++i) {
            DWORD c = (v >> (8 * i)) & 0xFF;
            if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
            out |= c << (8 * i);
        }
        return out;
    };
    for (const StandinCodec& c : kCodecs)
        if (upper(c.fourcc) == upper(fourcc)) return &c;
    return nullptr;
}

void Copy(WCHAR* target, int room, const WCHAR* text) {
    int i = 0;
    for (; i + 1 < room && text[i] != L'\0'; ++i) target[i] = text[i];
    target[i] = L'\0';
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
            const auto* open = reinterpret_cast<const ICOPEN*>(lParam2);
            if (open == nullptr) return 1;  // loaded, not opened for a codec
            const StandinCodec* codec = Find(open->fccHandler);
            // The driver's id is the FourCC as it was opened with.
            return codec && codec->answer != Answer::RefusesToOpen ? static_cast<LRESULT>(open->fccHandler) : 0;
        }
        case ICM_GETINFO: {
            auto* info = reinterpret_cast<ICINFO*>(lParam1);
            const StandinCodec* codec = Find(static_cast<DWORD>(driverId));
            if (codec && codec->answer == Answer::Crashes) {
                volatile int* nowhere = nullptr;
                *nowhere = 1;
            }
            if (info == nullptr || codec == nullptr || lParam2 < static_cast<LPARAM>(sizeof(ICINFO))) return 0;
            info->dwSize = sizeof(ICINFO);
            info->fccType = ICTYPE_VIDEO;
            info->fccHandler = static_cast<DWORD>(driverId);
            info->dwFlags = 0;
            info->dwVersion = 0;
            info->dwVersionICM = ICVERSION;
            Copy(info->szName, 16, codec->name);
            Copy(info->szDescription, 128, codec->description);
            info->szDriver[0] = L'\0';
            return sizeof(ICINFO);
        }
        case ICM_COMPRESS_QUERY:
            return ICERR_BADFORMAT;  // a stand-in compresses nothing
        default:
            return message < DRV_USER ? 0 : ICERR_UNSUPPORTED;
    }
}
