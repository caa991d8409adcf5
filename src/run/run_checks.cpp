#include "run/run_checks.h"

#include "model/numbers.h"
#include "model/text.h"

namespace mb {

namespace {

const char* const kNotANumber = "Invalid input. Not a number: ";

// The caption of a field without the " :" that ends it on the window.
std::string FieldName(Ctl field) {
    std::string name = Control(field).caption;
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.pop_back();
    return name;
}

// Reads a strict number that the run needs; shows why when it cannot.
std::optional<double> NeedNumber(const std::string& text, const char* what, RunPorts& ports) {
    auto v = StrictNumber(text, ports.format);
    if (!v) ports.messages.ShowMessage(kNotANumber + std::string(what));
    return v;
}

std::optional<std::int32_t> NeedWhole(const std::string& text, const char* what, RunPorts& ports) {
    auto v = NeedNumber(text, what, ports);
    if (!v) return std::nullopt;
    auto r = RoundHalfEven32(*v);
    if (!r) ports.messages.ShowMessage("Invalid input. Out of range: " + std::string(what));
    return r;
}

}  // namespace

std::optional<RunPlan> CheckInput(const EncodeSettings& s, const ProgramState& state, RunPorts& ports) {
    if (s.txtSource.empty() || !ports.files.FileExists(s.txtSource)) {
        ports.messages.ShowMessage("Cannot find source file");
        return std::nullopt;
    }
    if (s.txtTarget.empty()) {
        ports.messages.ShowMessage("No target file specified.");
        return std::nullopt;
    }
    if (s.OptCodec < 0 || s.OptCodec > 3) {
        ports.messages.ShowMessage("No video codec selected.");
        return std::nullopt;
    }
    if (const std::string unsound = UnsoundPathMessage(s, state); !unsound.empty()) {
        ports.messages.ShowMessage(unsound, MessageIcon::Exclamation);
        return std::nullopt;
    }

    RunPlan plan;
    const bool threePass = s.OptCodec == 1 && s.ChkDivx4Pass3 == 1;
    plan.NumPass = threePass ? 3 : (ItemNumber(s, Ctl::CmbNumPass) == 2 ? 2 : 1);
    plan.FastOrFull = s.OptencodingMode == 0 ? 1 : 3;

    // Names derived from the target need a point to cut at.
    if ((plan.NumPass >= 2 || s.ChkMux == 1) && state.TargetFilePath.find('.') == std::string::npos) {
        ports.messages.ShowMessage("Invalid input. The target file has no extension: " +
                                   state.TargetFilePath);
        return std::nullopt;
    }

    // The numbers the run itself reads, where this run uses them.
    if (threePass) {
        auto br = NeedNumber(s.TxtBr4, "encoding bitrate", ports);
        if (!br) return std::nullopt;
        auto size = NeedNumber(s.TxtDivx4Size, "desired size", ports);
        if (!size) return std::nullopt;
        if (*size <= 0) {
            ports.messages.ShowMessage("No input for desired size");
            return std::nullopt;
        }
        auto over = NeedNumber(s.TxtDivx4OverSize, "maximum oversize", ports);
        if (!over) return std::nullopt;
        plan.divx4Bitrate = *br;
        plan.divx4Size = *size;
        plan.overSizePercent = *over;
    } else if (auto over = StrictNumber(s.TxtDivx4OverSize, ports.format)) {
        plan.overSizePercent = *over;  // only printed; a hidden field never refuses a run
    }
    if (s.ChkMux == 1) {
        plan.streams = s.TxtStream2.empty() ? 1 : 2;
        auto d1 = NeedWhole(s.TxtDelay1, "audio stream 1 delay", ports);
        if (!d1) return std::nullopt;
        plan.delay1 = *d1;
        if (plan.streams == 2) {
            auto d2 = NeedWhole(s.TxtDelay2, "audio stream 2 delay", ports);
            if (!d2) return std::nullopt;
            plan.delay2 = *d2;
        }
    }
    return plan;
}

std::string UnsoundPathMessage(const EncodeSettings& s, const ProgramState& state) {
    struct Field {
        bool used;
        std::string name;
        const std::string& path;
    };
    const auto converts = [](int format) { return format == 1 || format == 3; };
    const bool stream1 = !s.TxtStream1.empty();
    const bool stream2 = !s.TxtStream2.empty();
    const Field fields[] = {
        {true, FieldName(Ctl::txtSource), state.SourceFilePath},
        {true, FieldName(Ctl::txtTarget), state.TargetFilePath},
        {stream1, "Audio Stream 1 " + FieldName(Ctl::TxtStream1), state.Stream1FilePath},
        {stream2, "Audio Stream 2 " + FieldName(Ctl::TxtStream2), state.Stream2FilePath},
        {(stream1 && converts(s.OptAudioFormat1)) || (stream2 && converts(s.OptAudioFormat2)),
         FieldName(Ctl::TxtTempRep), state.TempFolderPath},
    };
    for (const Field& f : fields)
        if (f.used && HasForbiddenPathCharacter(f.path))
            return "Invalid input. No file name can hold \" * ? < > | or control characters: " + f.name +
                   " (" + f.path + ")";
    return {};
}

}  // namespace mb
