// The main window's labels of what the source is and of what the number
// that drives the size gives for it: read by the user, never written into a
// job.
#include "app/main_window_win32.h"

#include "app/resource.h"
#include "env/window_text_win32.h"
#include "model/numbers.h"
#include "run/step_watch_win32.h"

namespace mb {

namespace {

std::int64_t FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The audio of one stream as the muxed target holds it: an AC3 file as it
// is, MP3 at its list's bitrate, the DivX audio at its 64 kbit/s.
AudioShare StreamShare(int format, int bitrateIndex, const std::string& file) {
    switch (format) {
        case 0: return {0, FileBytes(file)};
        case 1: return {Mp3Kbps(bitrateIndex) * 1000 / 8.0, 0};
        case 3: return {64000 / 8.0, 0};
        default: return {};
    }
}

void SetLabel(HWND label, const std::string& text) {
    if (label && WindowText(label) != text) SetWindowTextA(label, text.c_str());
}

}  // namespace

void MainWindowW32::UpdateFactLabels(Ctl changed) {
    if (changed == Ctl::txtSource && factsSource_ != state_.SourceFilePath) {
        factsSource_ = state_.SourceFilePath;
        facts_ = factsSource_.empty() ? SourceFacts{} : ReadSourceFacts(factsSource_);
    }
    const EncodeSettings& s = model_.Settings();
    SetLabel(Item(IDC_LbSourceFacts), s.txtSource.empty() ? std::string() : SourceFactsText(facts_));

    // The audio goes into the target only when it is muxed.
    AudioShare audio1, audio2;
    if (s.ChkMux == 1 && !s.TxtStream1.empty()) {
        audio1 = StreamShare(s.OptAudioFormat1, s.CmbBitrate1, state_.Stream1FilePath);
        if (s.ChkStream2 == 1 && !s.TxtStream2.empty())
            audio2 = StreamShare(s.OptAudioFormat2, s.CmbBitrate2, state_.Stream2FilePath);
    }
    const auto size = [&](const std::string& bitrate) {
        const std::string label = SizeLabelForBitrate(LeadingNumber(bitrate), facts_, audio1, audio2);
        return label.empty() ? label : "Encoding Bitrate " + label;
    };
    const auto rate = [&](const std::string& desired) {
        const std::string label = BitrateLabelForSize(LeadingNumber(desired), facts_, audio1, audio2);
        return label.empty() ? label : "Desired Size " + label;
    };
    SetLabel(Item(IDC_LbSizeDivx5), size(s.txtBr));
    SetLabel(Item(IDC_LbSizeDivx4), size(s.TxtBr4));
    SetLabel(Item(IDC_LbBitrateDivx4), rate(s.TxtDivx4Size));
    SetLabel(Item(IDC_LbSizeXvid), size(s.TxtBrX));
    SetLabel(Item(IDC_LbBitrateXvid), rate(s.TxtSize));
    SetLabel(Item(IDC_LbSizeDivx3), size(s.TxtBit3));
}

}  // namespace mb
