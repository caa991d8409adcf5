// Resource and control ids of marobex.exe. The resource script reads the
// #defines; the C++ part below gives every control of the main window its id,
// named after the control (IDC_TxtBr4) and derived from the control list.
#pragma once

#define IDI_MAROBEX 1
#define IDR_MAROBEX_MANIFEST 1

#define MAROBEX_VERSION_NUMBERS 1, 0, 0, 0
#define MAROBEX_VERSION_TEXT "1.0.0.0"

#ifndef RC_INVOKED

#include "model/encode_settings.h"

namespace mb {

// Each settings control owns a block of ids: the control itself (the first
// button of an option group), the other buttons of its group, the label
// before it and the unit after it.
inline constexpr int kControlIdBase = 1000;
inline constexpr int kControlIdStride = 8;
inline constexpr int kCaptionIdOffset = 6;
inline constexpr int kUnitIdOffset = 7;

enum ControlId : int {
#define MB_CONTROL(kind, name, tab, frame, caption, choices, lo, hi, layout, def, flags) \
    IDC_##name = kControlIdBase + kControlIdStride * static_cast<int>(Ctl::name),
#include "model/controls.def"
#undef MB_CONTROL
};

// The id of a settings control, or of button `button` of an option group.
constexpr int IdOf(Ctl c, int button = 0) {
    return kControlIdBase + kControlIdStride * static_cast<int>(c) + button;
}
constexpr int CaptionIdOf(Ctl c) { return IdOf(c, kCaptionIdOffset); }
constexpr int UnitIdOf(Ctl c) { return IdOf(c, kUnitIdOffset); }

// The settings control an id belongs to (Ctl::Count when none) and, for an
// option button, its index.
constexpr Ctl ControlOfId(int id, int* slot = nullptr) {
    const int offset = id - kControlIdBase;
    if (offset < 0 || offset >= kControlIdStride * kControlCount) return Ctl::Count;
    if (slot) *slot = offset % kControlIdStride;
    return static_cast<Ctl>(offset / kControlIdStride);
}

// The other windows of the main window: tab strips and their page
// backgrounds, frames, buttons, lists and value labels.
enum OtherId : int {
    IDC_SSTabMain = 3000,
    IDC_SSTabDivx3Panel,
    IDC_SSTabXividPanel,
    IDC_FrmInput,   // the borderless page of each main tab
    IDC_FrmVideo,
    IDC_FrmAudio,
    IDC_FrmOutput,
    IDC_Divx3PanelPage,  // the page area of the inner tab strips
    IDC_XvidPanelPage,

    IDC_cmdExit = 3100,
    IDC_cmdStartEncode,
    IDC_CmdCheckCodec,
    IDC_LstCodecFound,
    IDC_LstExternalApp,
    IDC_CmdChangePath,
    IDC_cmdBrowseSrc,
    IDC_cmdBrowseTgt,
    IDC_CmdBrowseTempRep,
    IDC_CmdBrowseStream1,
    IDC_CmdBrowseStream2,

    IDC_LbPE = 3200,
    IDC_lbPreProc,
    IDC_LbFM,
    IDC_LbLM,
    IDC_LbAmpliStream1,
    IDC_LbAmpliStream2,

    IDC_Frame42 = 3300,
    IDC_Frame17,
    IDC_Frame22,
    IDC_Frame1,
    IDC_Frame8,
    IDC_FrmPassMode,
    IDC_FrmDivx5,
    IDC_Frame2,
    IDC_Frame4,
    IDC_Frame5,
    IDC_Frame3,
    IDC_Frame16,
    IDC_FrmDivx4,
    IDC_Frame7,
    IDC_Frame6,
    IDC_Frame9,
    IDC_Frame18,
    IDC_FrmXvid,
    IDC_Frame12,
    IDC_Frame10,
    IDC_Frame13,
    IDC_Frame14,
    IDC_FrmXvid2,
    IDC_Frame11,
    IDC_Frame15,
    IDC_Frame19,
    IDC_FrmDivx3,
    IDC_Frame30,
    IDC_Frame31,
    IDC_Frame35,
    IDC_Frame36,
    IDC_Frame37,
    IDC_Frame29,
    IDC_FrmDivx32,
    IDC_Frame32,
    IDC_Frame34,
    IDC_Frame33,
    IDC_Frame38,
    IDC_Frame20,
    IDC_Frame21,
    // The unnamed frames of each audio stream.
    IDC_FrmCompression1,
    IDC_FrmConversion1,
    IDC_FrmAmplification1,
    IDC_FrmCompression2,
    IDC_FrmConversion2,
    IDC_FrmAmplification2,
};

// The labels of what the source is (Input tab) and of what the number that
// drives the size gives for it (each codec panel).
enum FactLabelId : int {
    IDC_LbSourceFacts = 3900,
    IDC_LbSizeDivx5,
    IDC_LbSizeDivx4,
    IDC_LbBitrateDivx4,
    IDC_LbSizeXvid,
    IDC_LbBitrateXvid,
    IDC_LbSizeDivx3,
};

}  // namespace mb

#endif  // RC_INVOKED
