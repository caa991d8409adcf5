#include "app/main_layout_win32.h"

#include <algorithm>
#include <initializer_list>

#include "app/resource.h"
#include "model/text.h"

namespace mb {

namespace {

// Row metrics: one row of a frame holds a label, a box and its unit.
constexpr int kRow = 24;
constexpr int kEditHeight = 20;
constexpr int kLabelHeight = 14;
constexpr int kLabelDrop = 3;   // a label's text sits on the box's text line
constexpr int kCheckHeight = 17;
constexpr int kCheckDrop = 2;
constexpr int kSliderHeight = 26;
constexpr int kGap = 4;         // between a label and its box, a box and its unit

constexpr int kTabInput = 0, kTabVideo = 1, kTabAudio = 2, kTabOutput = 3;
constexpr int kPanelDivx5 = static_cast<int>(Panel::FrmDivx5);
constexpr int kPanelDivx4 = static_cast<int>(Panel::FrmDivx4);
constexpr int kPanelDivx3 = static_cast<int>(Panel::SSTabDivx3Panel);
constexpr int kPanelXvid = static_cast<int>(Panel::SSTabXividPanel);

// The main tab strip, and the spot of the codec panels on the Video tab:
// 220 x 1800 twips from the tab strip's corner, as wide as the strip leaves
// room for on both sides.
constexpr LayoutRect kMainTab{8, 8, 662, 502};
constexpr LayoutRect kPanel{kMainTab.x + 14, kMainTab.y + 120, kMainTab.w - 28, 372};

// Collects the items of one page after the other; frames and tab strips
// go to their own lists, which end up beneath the controls.
class Builder {
public:
    void Place(int tab, int panel = -1, int inner = -1) { place_ = {tab, panel, inner}; }

    void Frame(int id, std::string caption, int x, int y, int w, int h) {
        frames_.push_back({ItemKind::Frame, id, std::move(caption), {x, y, w, h}, place_});
    }

    // The control's own caption as a label.
    void Caption(Ctl c, int x, int y, int w) {
        Add({ItemKind::Label, CaptionIdOf(c), Control(c).caption, {x, y + kLabelDrop, w, kLabelHeight}, place_, c});
    }

    // A row: the label, the text box and the unit after it (when it has
    // one), the label column labelWidth wide.
    void TextRow(Ctl c, int x, int y, int labelWidth, int editWidth, int unitWidth = 40) {
        Caption(c, x, y, labelWidth);
        Edit(c, x + labelWidth + kGap, y, editWidth, unitWidth);
    }

    // Rows of text boxes one under the other, from row y down.
    void TextRows(std::initializer_list<Ctl> controls, int x, int y, int labelWidth, int editWidth) {
        for (Ctl c : controls) {
            TextRow(c, x, y, labelWidth, editWidth);
            y += kRow;
        }
    }

    // A text box and its unit.
    void Edit(Ctl c, int x, int y, int w, int unitWidth = 40) {
        Add({ItemKind::Edit, IdOf(c), "", {x, y, w, kEditHeight}, place_, c});
        const std::string unit = Control(c).choices;
        if (!unit.empty())
            Add({ItemKind::Unit, UnitIdOf(c), unit, {x + w + kGap + 2, y + kLabelDrop, unitWidth, kLabelHeight}, place_, c});
    }

    void ListRow(Ctl c, int x, int y, int labelWidth, int comboWidth) {
        Caption(c, x, y, labelWidth);
        Combo(c, x + labelWidth + kGap, y, comboWidth);
    }

    void Combo(Ctl c, int x, int y, int w) {
        Add({ItemKind::Combo, IdOf(c), Control(c).choices, {x, y, w, kComboHeight}, place_, c});
    }

    // A check box on a row.
    void Check(Ctl c, int x, int y, int w) { CheckAt(c, x, y + kCheckDrop, w); }
    void Checks(std::initializer_list<Ctl> controls, int x, int y, int w) {
        for (Ctl c : controls) {
            Check(c, x, y, w);
            y += kRow;
        }
    }
    // A check box at an exact spot (the title of a frame).
    void CheckAt(Ctl c, int x, int y, int w) {
        Add({ItemKind::Check, IdOf(c), Control(c).caption, {x, y, w, kCheckHeight}, place_, c});
    }

    void Radio(Ctl group, int button, int x, int y, int w) {
        const std::vector<std::string> captions = SplitAt(Control(group).choices, '|');
        Add({ItemKind::Radio, IdOf(group, button), captions.at(static_cast<std::size_t>(button)),
             {x, y + kCheckDrop, w, kCheckHeight}, place_, group, button});
    }

    void Slider(Ctl c, int x, int y, int w) {
        Add({ItemKind::Slider, IdOf(c), "", {x, y, w, kSliderHeight}, place_, c});
    }

    void Value(Label l, int id, int x, int y, int w) {
        LayoutItem item{ItemKind::ValueLabel, id, "", {x, y, w, kLabelHeight}, place_};
        item.label = l;
        Add(std::move(item));
    }

    void Button(int id, std::string text, int x, int y, int w, int h) {
        Add({ItemKind::Button, id, std::move(text), {x, y, w, h}, place_});
    }

    // A label the window writes (what the source is, what a number gives).
    void Fact(int id, int x, int y, int w, int h = kLabelHeight) {
        Add({ItemKind::Label, id, "", {x, y, w, h}, place_});
    }

    void List(int id, int x, int y, int w, int h) { Add({ItemKind::ListBox, id, "", {x, y, w, h}, place_}); }

    // A tab strip with its page background beneath the frames of its pages.
    void TabStrip(int id, int bodyId, std::string tabs, LayoutRect rect, int pages) {
        if (pages == 1) {
            tabs_.push_back({ItemKind::PageBody, bodyId, "", rect, place_});
        } else {
            for (int page = 0; page < pages; ++page)
                tabs_.push_back({ItemKind::PageBody, bodyId + page, "", rect, {page, -1, -1}});
        }
        tabs_.push_back({ItemKind::Tab, id, std::move(tabs), rect, place_});
    }

    std::vector<LayoutItem> Finish() {
        std::vector<LayoutItem> all = std::move(items_);
        // A frame is added before the frames it holds; those must lie above
        // it, or it would hide them.
        all.insert(all.end(), frames_.rbegin(), frames_.rend());
        all.insert(all.end(), tabs_.begin(), tabs_.end());
        return all;
    }

private:
    void Add(LayoutItem item) { items_.push_back(std::move(item)); }

    ItemPlace place_;
    std::vector<LayoutItem> items_;
    std::vector<LayoutItem> frames_;
    std::vector<LayoutItem> tabs_;
};

void InputPage(Builder& b) {
    b.Place(kTabInput);
    b.Frame(IDC_Frame42, "Select Path :", 16, 40, 646, 104);
    b.Caption(Ctl::txtSource, 28, 57, 400);
    b.Edit(Ctl::txtSource, 28, 76, 564);
    b.Button(IDC_cmdBrowseSrc, "\\ ...", 598, 75, 52, 22);
    b.Caption(Ctl::OptencodingMode, 28, 108, 130);
    b.Radio(Ctl::OptencodingMode, 0, 168, 108, 120);
    b.Radio(Ctl::OptencodingMode, 1, 300, 108, 120);
    b.Fact(IDC_LbSourceFacts, 430, 104, 224, 30);

    b.Frame(IDC_Frame17, "Codec Verification :", 16, 152, 318, 270);
    b.Button(IDC_CmdCheckCodec, "Check Installed Codec", 28, 172, 170, 24);
    b.List(IDC_LstCodecFound, 28, 202, 294, 210);

    b.Frame(IDC_Frame22, "External Applications", 344, 152, 318, 270);
    b.List(IDC_LstExternalApp, 356, 172, 294, 206);
    b.Button(IDC_CmdChangePath, "Change Application Path", 356, 388, 170, 24);

    b.Frame(IDC_Frame1, "Encoding Process Setting", 16, 430, 646, 56);
    b.ListRow(Ctl::CmbPriority, 28, 452, 110, 120);
    b.Check(Ctl::ChkShowInput, 290, 452, 130);
    b.Check(Ctl::ChkShowOutput, 440, 452, 140);
}

void Divx5Panel(Builder& b) {
    b.Place(kTabVideo, kPanelDivx5);
    b.Frame(IDC_FrmDivx5, "DivX 5.x Setting", kPanel.x, kPanel.y, kPanel.w, kPanel.h);

    b.Frame(IDC_Frame2, "Bitrate and Keyframe", 32, 148, 310, 96);
    b.TextRows({Ctl::txtBr, Ctl::txtKf, Ctl::txtSc}, 42, 166, 170, 60);
    b.Frame(IDC_Frame4, "Data Rate Control (RC)", 32, 252, 310, 144);
    b.TextRows({Ctl::txtMaxQ, Ctl::txtMinQ, Ctl::txtRCAve, Ctl::txtRCReac, Ctl::txtRCdur}, 42, 270, 170, 60);

    b.Frame(IDC_Frame5, "MPEG4 Tools", 350, 148, 296, 96);
    b.Checks({Ctl::chkQPel, Ctl::chkGMC, Ctl::chkBFrame}, 362, 166, 220);
    b.Frame(IDC_Frame3, "Psychovisual Enhancement", 350, 252, 296, 62);
    b.Slider(Ctl::SldPE, 362, 272, 200);
    b.Value(Label::LbPE, IDC_LbPE, 572, 278, 60);
    b.Frame(IDC_Frame16, "Pre Processing", 350, 322, 296, 62);
    b.Slider(Ctl::SldPreProc, 362, 342, 200);
    b.Value(Label::lbPreProc, IDC_lbPreProc, 572, 348, 60);
    b.Fact(IDC_LbSizeDivx5, 42, 406, 300);
}

void Divx4Panel(Builder& b) {
    b.Place(kTabVideo, kPanelDivx4);
    b.Frame(IDC_FrmDivx4, "DivX 4.x Setting", kPanel.x, kPanel.y, kPanel.w, kPanel.h);

    b.Frame(IDC_Frame7, "Bitrate and Keyframe", 32, 148, 310, 72);
    b.TextRow(Ctl::TxtBr4, 42, 166, 170, 60);
    b.TextRow(Ctl::TxtKF4, 42, 190, 170, 60);
    b.Frame(IDC_Frame6, "Data Rate Control (RC)", 32, 228, 310, 144);
    b.TextRows({Ctl::TxtMaxQ4, Ctl::txtMinQ4, Ctl::TxtRCAve4, Ctl::TxtRCReac4, Ctl::TxtRCdur4}, 42, 246, 170, 60);

    b.Frame(IDC_Frame9, "Decoding Setting", 350, 148, 296, 82);
    b.Caption(Ctl::SldPostProces, 362, 163, 220);
    b.Slider(Ctl::SldPostProces, 362, 186, 220);
    b.Frame(IDC_Frame18, "Thrid pass ", 350, 238, 296, 72);
    b.TextRow(Ctl::TxtDivx4Size, 362, 256, 120, 70);
    b.TextRow(Ctl::TxtDivx4OverSize, 362, 280, 120, 70);
    b.Check(Ctl::ChkCPU, 362, 320, 200);
    b.Fact(IDC_LbSizeDivx4, 42, 382, 300);
    b.Fact(IDC_LbBitrateDivx4, 362, 382, 284);
}

void XvidPanel(Builder& b) {
    b.Place(kTabVideo, kPanelXvid, 0);
    b.Frame(IDC_FrmXvid, "Xvid 2.1 Global Setting", 30, 156, 618, 336);
    b.Frame(IDC_Frame12, "Bitrate and Keyframe", 40, 174, 300, 96);
    b.TextRows({Ctl::TxtBrX, Ctl::TxtKFX, Ctl::txtKF2X}, 50, 192, 130, 60);
    b.Frame(IDC_Frame10, "Quantizer Restriction", 40, 278, 300, 120);
    b.TextRows({Ctl::TxtIQuantMin, Ctl::TxtIQuantMax, Ctl::TxtPQuantMin, Ctl::TxtPQuantMax}, 50, 296, 130, 60);
    b.Frame(IDC_Frame14, "Second Pass Parameter", 40, 406, 300, 50);
    b.TextRow(Ctl::TxtSize, 50, 424, 130, 70);

    b.Frame(IDC_Frame13, "Global Setting", 348, 174, 290, 120);
    b.ListRow(Ctl::CmbMotion, 360, 192, 110, 150);
    b.ListRow(Ctl::CmbQuant, 360, 216, 110, 150);
    b.Check(Ctl::ChkModulated2pass, 360, 240, 200);
    b.ListRow(Ctl::CmbFourcc, 360, 264, 110, 150);
    b.Check(Ctl::Chklum, 360, 304, 200);
    b.Check(Ctl::ChkHintME, 360, 328, 200);
    b.Fact(IDC_LbSizeXvid, 50, 466, 288);
    b.Fact(IDC_LbBitrateXvid, 360, 466, 278);

    b.Place(kTabVideo, kPanelXvid, 1);
    b.Frame(IDC_FrmXvid2, "Xvid 2.1 Advanced Setting", 30, 156, 618, 336);
    b.Frame(IDC_Frame11, "Two Pass Tuning", 40, 174, 290, 50);
    b.TextRow(Ctl::TxtBoost, 50, 192, 150, 60);
    b.Frame(IDC_Frame15, "Curve Compression", 40, 232, 290, 144);
    b.TextRow(Ctl::TxtHightBit, 50, 250, 150, 60);
    b.TextRow(Ctl::TxtLowBit, 50, 274, 150, 60);
    b.TextRow(Ctl::TxtPayback, 50, 298, 150, 60);
    b.Radio(Ctl::OptPayback, 0, 50, 322, 220);
    b.Radio(Ctl::OptPayback, 1, 50, 346, 220);

    b.Frame(IDC_Frame19, "", 338, 174, 300, 256);
    b.Check(Ctl::ChkAltCurve, 350, 188, 220);
    b.ListRow(Ctl::CmbAgression, 350, 212, 154, 100);
    b.TextRow(Ctl::TxtHighDist, 350, 236, 154, 60, 20);
    b.TextRow(Ctl::TxtLowDist, 350, 260, 154, 60, 20);
    b.Check(Ctl::ChkAutoQuality, 350, 284, 270);
    b.TextRow(Ctl::TxtStrenght, 350, 308, 154, 60, 20);
    b.TextRow(Ctl::TxtMinQuality, 350, 332, 154, 60, 20);
    b.Check(Ctl::ChkAutoBonus, 350, 356, 270);
    b.TextRow(Ctl::TxtBonusBias, 350, 380, 154, 60);
}

void Divx3Panel(Builder& b) {
    b.Place(kTabVideo, kPanelDivx3, 0);
    b.Frame(IDC_FrmDivx3, "DivX 3.x Global Setting", 30, 156, 618, 336);
    b.Frame(IDC_Frame30, "Bitrate And Keyframe", 40, 174, 196, 120);
    b.TextRows({Ctl::TxtBit3, Ctl::TxtMinBit3, Ctl::TxtKFInterval, Ctl::TxtSCD}, 50, 192, 100, 60);
    // The check box is the frame's title.
    b.Frame(IDC_Frame31, "", 40, 304, 196, 100);
    b.CheckAt(Ctl::ChkError, 48, 302, 112);
    b.TextRows({Ctl::TxtAntiShit, Ctl::TxtMinQual3, Ctl::TxtMotionMod}, 50, 322, 100, 60);

    b.Frame(IDC_Frame35, "Motion Curve ", 244, 174, 196, 96);
    b.TextRows({Ctl::TxtSpan, Ctl::TxtSensibility, Ctl::TxtCrispness}, 254, 192, 80, 60);
    b.Frame(IDC_Frame36, "DRF Compression", 244, 278, 196, 72);
    b.TextRow(Ctl::TxtDRFMin, 254, 296, 80, 60);
    b.TextRow(Ctl::TxtDRFMax, 254, 320, 80, 60);
    b.Frame(IDC_Frame29, "Payback delay :", 244, 358, 196, 50);
    b.Edit(Ctl::TxtPaybackDelay, 254, 376, 60);

    b.Frame(IDC_Frame37, "Gauge", 448, 174, 190, 96);
    b.TextRows({Ctl::TxtMinGauge, Ctl::TxtStartGauge, Ctl::TxtMaxGauge}, 458, 192, 60, 60);
    b.Check(Ctl::ChkBitsReservoir, 50, 418, 240);
    b.Fact(IDC_LbSizeDivx3, 50, 446, 300);

    b.Place(kTabVideo, kPanelDivx3, 1);
    b.Frame(IDC_FrmDivx32, "DivX 3.x Advanced Setting", 30, 156, 618, 336);
    b.Frame(IDC_Frame32, "", 40, 176, 290, 74);
    b.CheckAt(Ctl::ChkLuminance3, 48, 174, 134);
    b.TextRow(Ctl::TxtThreshold, 50, 196, 100, 60);
    b.TextRow(Ctl::TxtGain, 50, 220, 100, 60);
    b.Frame(IDC_Frame34, "Curve Compression", 40, 258, 290, 120);
    b.Radio(Ctl::OptCurveComp, 0, 50, 276, 96);
    b.Edit(Ctl::TxtSymetric, 154, 276, 60);
    b.Radio(Ctl::OptCurveComp, 1, 50, 300, 96);
    b.TextRow(Ctl::TxtAsymetricLow, 70, 324, 80, 60);
    b.TextRow(Ctl::TxtAsymetricHigh, 70, 348, 80, 60);
    b.Frame(IDC_Frame33, "Filters", 40, 386, 290, 96);
    b.TextRows({Ctl::TxtHighPass, Ctl::TxtLowPass, Ctl::TxtSmooth}, 50, 404, 100, 60);

    b.Frame(IDC_Frame38, "Motion based DLL switch :", 338, 176, 300, 128);
    b.Caption(Ctl::SldSwitchFM, 350, 191, 280);
    b.Slider(Ctl::SldSwitchFM, 350, 210, 220);
    b.Value(Label::LbFM, IDC_LbFM, 576, 216, 40);
    b.Caption(Ctl::SldSwitchLM, 350, 241, 280);
    b.Slider(Ctl::SldSwitchLM, 350, 260, 220);
    b.Value(Label::LbLM, IDC_LbLM, 576, 266, 40);
    b.Check(Ctl::ChkCurveMotion, 350, 316, 216);
    b.Edit(Ctl::TxtBasedMotion, 570, 316, 50);
}

void VideoPage(Builder& b) {
    b.Place(kTabVideo);
    b.Frame(IDC_Frame8, "Select Video Codec", 16, 40, 330, 76);
    for (int button = 0; button < 4; ++button) b.Radio(Ctl::OptCodec, button, 30 + 78 * button, 66, 72);
    b.Frame(IDC_FrmPassMode, "Variable Bitrate Mode", 354, 40, 308, 76);
    b.Combo(Ctl::CmbNumPass, 366, 66, 150);
    b.Check(Ctl::ChkDivx4Pass3, 530, 66, 120);

    Divx5Panel(b);
    Divx4Panel(b);
    XvidPanel(b);
    Divx3Panel(b);

    b.Place(kTabVideo, kPanelXvid);
    b.TabStrip(IDC_SSTabXividPanel, IDC_XvidPanelPage, "   Global   |  Advanced  ", kPanel, 1);
    b.Place(kTabVideo, kPanelDivx3);
    b.TabStrip(IDC_SSTabDivx3Panel, IDC_Divx3PanelPage, "   Global   |  Advanced  ", kPanel, 1);
}

struct StreamControls {
    int frame, compression, conversion, amplification, browse, valueId;
    Ctl path, format, mp3Mode, bitrate, delay, check44, normalise, amplifier;
    Label value;
};

void AudioStream(Builder& b, const StreamControls& s, int x) {
    if (s.frame == IDC_Frame20) {
        b.Frame(s.frame, "Audio Stream 1 : ", x, 40, 318, 306);
    } else {
        b.Frame(s.frame, "", x, 40, 318, 306);
        b.CheckAt(Ctl::ChkStream2, x + 8, 38, 104);
    }
    b.Caption(s.path, x + 12, 59, 290);
    b.Edit(s.path, x + 12, 78, 240);
    b.Button(s.browse, "\\ ...", x + 258, 77, 48, 22);

    b.Frame(s.compression, "Compression Mode :", x + 12, 110, 294, 118);
    b.Radio(s.format, 0, x + 24, 128, 60);
    b.Radio(s.format, 1, x + 24, 152, 60);
    b.Combo(s.mp3Mode, x + 154, 152, 110);
    b.Radio(s.format, 2, x + 24, 176, 60);
    b.ListRow(s.bitrate, x + 100, 176, 50, 110);
    b.Radio(s.format, 3, x + 24, 200, 220);

    b.TextRow(s.delay, x + 12, 240, 50, 60, 30);
    b.Frame(s.conversion, "Conversion", x + 12, 270, 140, 68);
    b.Check(s.check44, x + 24, 288, 110);
    b.Check(s.normalise, x + 24, 310, 110);
    b.Frame(s.amplification, "Amplification (db)", x + 160, 270, 146, 68);
    b.Slider(s.amplifier, x + 170, 292, 100);
    b.Value(s.value, s.valueId, x + 276, 298, 20);
}

void AudioPage(Builder& b) {
    b.Place(kTabAudio);
    AudioStream(b,
                {IDC_Frame20, IDC_FrmCompression1, IDC_FrmConversion1, IDC_FrmAmplification1,
                 IDC_CmdBrowseStream1, IDC_LbAmpliStream1, Ctl::TxtStream1, Ctl::OptAudioFormat1,
                 Ctl::CmbMP3ModeStream1, Ctl::CmbBitrate1, Ctl::TxtDelay1, Ctl::Chk44Stream1,
                 Ctl::ChkNormaliseStream1, Ctl::SldAmpliStream1, Label::LbAmpliStream1},
                16);
    AudioStream(b,
                {IDC_Frame21, IDC_FrmCompression2, IDC_FrmConversion2, IDC_FrmAmplification2,
                 IDC_CmdBrowseStream2, IDC_LbAmpliStream2, Ctl::TxtStream2, Ctl::OptAudioFormat2,
                 Ctl::CmbMP3ModeStream2, Ctl::CmbBitrate2, Ctl::TxtDelay2, Ctl::Chk44Stream2,
                 Ctl::ChkNormaliseStream2, Ctl::SldAmpliStream2, Label::LbAmpliStream2},
                344);
}

void OutputPage(Builder& b) {
    b.Place(kTabOutput);
    b.Caption(Ctl::txtTarget, 28, 49, 400);
    b.Edit(Ctl::txtTarget, 28, 68, 564);
    b.Button(IDC_cmdBrowseTgt, "\\ ...", 598, 67, 52, 22);
    b.Caption(Ctl::TxtTempRep, 28, 103, 400);
    b.Edit(Ctl::TxtTempRep, 28, 122, 564);
    b.Button(IDC_CmdBrowseTempRep, "\\ ...", 598, 121, 52, 22);
    b.Check(Ctl::ChkMux, 28, 160, 220);
    b.Check(Ctl::chkShutdown, 28, 186, 200);
    // Never shown: splitting is not offered.
    b.Check(Ctl::ChkSplitSize, 28, 212, 140);
    b.Edit(Ctl::TxtSplitSize, 172, 212, 60, 30);
    b.Button(IDC_cmdStartEncode, "&Start Encode", 520, 456, 130, 30);
}

std::vector<LayoutItem> BuildLayout() {
    Builder b;
    InputPage(b);
    VideoPage(b);
    AudioPage(b);
    OutputPage(b);
    b.Place(-1);
    b.Button(IDC_cmdExit, "E&xit", 582, 517, 88, 26);
    b.TabStrip(IDC_SSTabMain, IDC_FrmInput, "   Input   |   Video   |   Audio   |   Output   ", kMainTab, 4);
    return b.Finish();
}

}  // namespace

const std::vector<LayoutItem>& MainLayout() {
    static const std::vector<LayoutItem> layout = BuildLayout();
    return layout;
}

const LayoutItem* FindLayoutItem(int id) {
    const std::vector<LayoutItem>& layout = MainLayout();
    const auto it = std::find_if(layout.begin(), layout.end(), [id](const LayoutItem& i) { return i.id == id; });
    return it == layout.end() ? nullptr : &*it;
}

}  // namespace mb
