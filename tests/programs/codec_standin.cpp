// Test program standing in for Codec.exe: copies codec_list.txt from its own
// folder to c:\Marobex_Codecs.txt, as the real lister writes its list there.
// Without codec_list.txt it writes nothing.
#include <windows.h>

#include <string>

int main() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self, length);
    folder.erase(folder.find_last_of('\\'));
    const std::string list = folder + "\\codec_list.txt";
    if (GetFileAttributesA(list.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    return CopyFileA(list.c_str(), "c:\\Marobex_Codecs.txt", FALSE) ? 0 : 1;
}
