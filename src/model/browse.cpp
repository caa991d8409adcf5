// The browse buttons of the main window: what each derives from the path its
// dialog returned. An empty path means the dialog was cancelled.

#include "model/form_model.h"
#include "model/text.h"

namespace mb {

namespace {

constexpr std::string_view kSeparators = "\\/";

// Where the file name begins: after the last folder separator.
std::size_t NameStart(std::string_view path) {
    const std::size_t sep = path.find_last_of(kSeparators);
    return sep == std::string_view::npos ? 0 : sep + 1;
}

// Where the extension begins (its "."), or npos for a file name without
// one. A "." in a folder name does not make an extension.
std::size_t ExtensionStart(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < NameStart(path)) return std::string_view::npos;
    return dot;
}

// The folder of a file, without the separator before the name ("C:" for
// C:\movie.avi); empty for a bare file name.
std::string_view FolderOf(std::string_view path) {
    const std::size_t start = NameStart(path);
    return start == 0 ? std::string_view() : path.substr(0, start - 1);
}

}  // namespace

void FormModel::BrowseSource(std::string_view path) {
    state_.SourceFilePath.assign(path);
    SetText(Ctl::txtSource, path);

    if (path.empty()) {
        // Without a source the target is locked again; TargetFilePath keeps
        // its value, only the box is emptied.
        SetText(Ctl::txtTarget, "");
        SetEnabled(Ctl::txtTarget, false);
        SetBackColour(Ctl::txtTarget, BackColour::Light3D);
        SetCommandEnabled(Command::cmdBrowseTgt, false);
        SetButtonEnabled(Ctl::OptencodingMode, 0, false);
        SetButtonEnabled(Ctl::OptencodingMode, 1, false);
        return;
    }

    SetEnabled(Ctl::txtTarget, true);
    SetBackColour(Ctl::txtTarget, BackColour::Window);
    SetCommandEnabled(Command::cmdBrowseTgt, true);
    SetButtonEnabled(Ctl::OptencodingMode, 0, true);
    SetButtonEnabled(Ctl::OptencodingMode, 1, true);

    // A source without extension gives no target name to derive: the user
    // chooses the target, and the encoding mode stays as it was.
    const std::size_t dot = ExtensionStart(path);
    const bool avi = dot != std::string_view::npos && SameNoCase(path.substr(dot), ".avi");
    if (dot == std::string_view::npos) {
        state_.TargetFilePath.clear();
    } else {
        // An AVI source is never its own target.
        state_.TargetFilePath = std::string(path.substr(0, dot)) + (avi ? "_1" : "") + ".avi";
    }
    SetText(Ctl::txtTarget, state_.TargetFilePath);

    state_.TempFolderPath.assign(FolderOf(path));
    SetText(Ctl::TxtTempRep, state_.TempFolderPath);

    if (dot != std::string_view::npos) SelectOption(Ctl::OptencodingMode, avi ? 1 : 0);
}

void FormModel::BrowseTarget(std::string_view path) {
    state_.TargetFilePath.assign(path);
    SetText(Ctl::txtTarget, path);
}

void FormModel::BrowseTempFolder(std::string_view path) {
    // Folders are kept without a trailing separator, since file names are
    // joined to them with one; a drive root comes back from the folder
    // browser as "C:\".
    while (!path.empty() && kSeparators.find(path.back()) != std::string_view::npos)
        path.remove_suffix(1);
    state_.TempFolderPath.assign(path);
    SetText(Ctl::TxtTempRep, path);
}

void FormModel::AllowAc3For(Ctl formatGroup, std::string_view path) {
    const std::size_t dot = ExtensionStart(path);
    const bool ac3 = dot != std::string_view::npos && path.substr(dot) == ".ac3";
    SetButtonEnabled(formatGroup, 0, ac3);
}

void FormModel::BrowseStream1(std::string_view path) {
    state_.Stream1FilePath.assign(path);
    SetText(Ctl::TxtStream1, path);

    if (!path.empty()) {
        SetEnabled(Ctl::ChkStream2, true);
        SetCheck(Ctl::ChkMux, 1);
        SetEnabled(Ctl::ChkMux, true);
        AllowAc3For(Ctl::OptAudioFormat1, path);
        return;
    }
    // Without a first stream there is no second one and nothing to mux.
    SetText(Ctl::TxtStream2, "");
    state_.Stream2FilePath.clear();
    SetCheck(Ctl::ChkStream2, 0);
    SetEnabled(Ctl::ChkStream2, false);
    SetCheck(Ctl::ChkMux, 0);
    SetEnabled(Ctl::ChkMux, false);
}

void FormModel::BrowseStream2(std::string_view path) {
    state_.Stream2FilePath.assign(path);
    SetText(Ctl::TxtStream2, path);
    if (!path.empty()) AllowAc3For(Ctl::OptAudioFormat2, path);
}

}  // namespace mb
