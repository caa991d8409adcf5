#include "env/message_box_win32.h"

namespace mb {

void MessageBoxesW32::ShowMessage(const std::string& text, MessageIcon icon) {
    UINT style = MB_OK;
    switch (icon) {
    case MessageIcon::None: break;
    case MessageIcon::Exclamation: style |= MB_ICONEXCLAMATION; break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
    case MessageIcon::Critical: style |= MB_ICONERROR; break;
    }
    MessageBoxA(owner_, text.c_str(), ProgramTitle, style);
}

}  // namespace mb
