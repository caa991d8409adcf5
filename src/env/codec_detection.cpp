#include "env/codec_detection.h"

#include <string_view>

#include "env/engine_paths.h"

namespace mb {
namespace {

// 100-nanosecond intervals per day, and the days from 1 January 1601 (the
// start of file times) to 1 January 1970.
constexpr std::uint64_t kTicksPerDay = 864000000000ULL;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

// Gregorian date of a day count since 1 January 1970.
CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

std::string TwoDigits(unsigned value) {
    char text[3] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10), 0};
    return text;
}

enum class CodecMark { Divx4, Divx5Pro, Divx5, Xvid, Divx3Low, Divx3Fast };

struct CodecMarker {
    std::string_view marker;
    std::string_view suffix;  // the XviD line's suffix is its date instead
    CodecMark mark;
};

constexpr CodecMarker kMarkers[] = {
    {"DivX Codec 4.", "\t\t(Supported)", CodecMark::Divx4},
    {"DivX Pro 5", "\t(Supported)", CodecMark::Divx5Pro},
    {"DivX 5", "\t\t(Supported)", CodecMark::Divx5},
    {"XviD MPEG", "", CodecMark::Xvid},
    {"DivX ;-) MPEG-4 Low", "\t(Supported)", CodecMark::Divx3Low},
    {"DivX ;-) MPEG-4 Fast", "\t(Supported)", CodecMark::Divx3Fast},
};

constexpr char kDivxAudioLine[] = "DivX ;-) Audio Codec\t(Supported)";

// Restores the check button however the check ends.
class ButtonDuringCheck {
public:
    explicit ButtonDuringCheck(CodecCheckButton* button) : button_(button) {
        if (!button_) return;
        caption_ = button_->Caption();
        button_->SetCaption(CodecCheckWaitCaption);
        button_->SetEnabled(false);
    }
    ~ButtonDuringCheck() {
        if (!button_) return;
        button_->SetCaption(caption_);
        button_->SetEnabled(true);
    }
    ButtonDuringCheck(const ButtonDuringCheck&) = delete;
    ButtonDuringCheck& operator=(const ButtonDuringCheck&) = delete;

private:
    CodecCheckButton* button_;
    std::string caption_;
};

}  // namespace

std::string FileDateText(std::uint64_t fileTime, const std::string& dateSeparator) {
    if (fileTime > 0x7FFFFFFFFFFFFFFFULL) return {};
    const auto days = static_cast<std::int64_t>(fileTime / kTicksPerDay) - kDaysFrom1601To1970;
    const CivilDate date = CivilFromDays(days);
    return TwoDigits(date.day) + dateSeparator + TwoDigits(date.month) + dateSeparator +
           TwoDigits(static_cast<unsigned>(date.year % 100));
}

std::string CodecCheckTimeoutLine(int limitMs) {
    return "Codec.exe gave no answer within " + std::to_string((limitMs + 999) / 1000) +
           " s: the check was stopped (a codec may hang).";
}

CodecCheckResult RunCodecCheck(ProgramState& state, ProcessPort& processes, FilePort& files,
                               LocalePort& locale, CodecCheckButton* button, int limitMs) {
    ButtonDuringCheck busy(button);
    CodecCheckResult result;

    // Marobex's engine encodes through FFmpeg and loads none of the system's
    // codecs: it provides all of them itself, Pro features of DivX 5 included.
    if (IsEngine(state.VirtualDubPath, files)) {
        result.lines = EngineCodecLines();
        result.divx4 = result.divx5Pro = result.xvid = result.divx3Low = result.divx3Fast = true;
        result.listRead = true;
        state.DivxAudioCodecFound = true;
        return result;
    }

    // A list left over from an earlier check must not pass for this one.
    if (files.FileExists(CodecListFile)) files.DeleteFile(CodecListFile);
    const std::string lister = state.ProgramFolder + "\\Codec.exe";
    if (!files.FileExists(lister)) return result;
    if (!processes.ShellAndWaitFor({lister, ""}, 0, limitMs)) {
        result.timedOut = true;
        result.lines.push_back(CodecCheckTimeoutLine(limitMs));
        files.DeleteFile(CodecListFile);  // half written, if at all
        return result;
    }

    std::vector<std::string> listed;
    if (!files.ReadLines(CodecListFile, listed)) return result;
    result.listRead = true;

    const std::string system = files.SystemDirectory();
    for (const std::string& line : listed) {
        for (const CodecMarker& m : kMarkers) {
            if (!line.starts_with(m.marker)) continue;
            switch (m.mark) {
            case CodecMark::Divx4:
                result.divx4 = true;
                state.Divx4FourccIsDivx = !files.FileExists(system + "\\DIVX4.DLL");
                break;
            case CodecMark::Divx5Pro: result.divx5Pro = true; break;
            case CodecMark::Divx5: result.divx5 = true; break;
            case CodecMark::Xvid: result.xvid = true; break;
            case CodecMark::Divx3Low: result.divx3Low = true; break;
            case CodecMark::Divx3Fast: result.divx3Fast = true; break;
            }
            if (m.mark == CodecMark::Xvid) {
                std::uint64_t created = 0;
                std::string date;
                if (files.FileCreationTime(system + "\\XVID.DLL", created))
                    date = FileDateText(created, locale.DateSeparator());
                result.lines.push_back(line + "\t(" + date + ")");
            } else {
                result.lines.push_back(line + std::string(m.suffix));
            }
        }
    }
    if (files.FileExists(system + "\\DIVXA32.ACM")) {
        result.lines.push_back(kDivxAudioLine);
        state.DivxAudioCodecFound = true;
    }
    files.DeleteFile(CodecListFile);
    return result;
}

}  // namespace mb
