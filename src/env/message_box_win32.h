// Message boxes: OK button, title "Marobex", optional icon.
#pragma once

#include <windows.h>

#include "model/ports.h"

namespace mb {

inline constexpr char ProgramTitle[] = "Marobex";

class MessageBoxesW32 : public MessagePort {
public:
    // owner: the window the boxes are modal to; null for none.
    explicit MessageBoxesW32(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) override;

private:
    HWND owner_;
};

}  // namespace mb
