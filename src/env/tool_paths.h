// Where the outside programs live: the three tool paths kept in Marobex.ini
// beside the program, the tool list of the main window, and the registry
// preparation done at every start.
#pragma once

#include <string>
#include <vector>

#include "model/program_state.h"
#include "model/ports.h"

namespace mb {

// Section and keys of the settings file. The profile port writes the keys in
// upper case (VIRTUALDUBPATH); reading finds them in any case.
inline constexpr char ToolPathSection[] = "PATH";
inline constexpr char VirtualDubPathKey[] = "VirtualDubPath";
inline constexpr char NanDubPathKey[] = "NanDubPath";
inline constexpr char BesweetPathKey[] = "BesweetPath";

// Shown when an executable carries no version resource. ANSI text
// (Windows-1252): the two accented letters are the byte 0xE9.
inline constexpr char NoVersionInfoMessage[] =
    "Le fichier ne contient aucune information r\xE9" "cup\xE9" "rable !";

// ProgramFolder + "\Marobex.ini".
std::string SettingsFilePath(const ProgramState& state);

// The file version of an executable ("1.4.10.0"). When the file has no
// version resource (or is missing, or path is empty) shows
// NoVersionInfoMessage with an exclamation icon and leaves version as it was.
void ReadFileVersionInfo(const std::string& path, std::string& version, FilePort& files,
                         MessagePort& messages);

// The line of the tool list for VirtualDub: "VirtualDub v" + the first six
// characters of the version + TAB TAB "Found" ("1.4.9.0" gives "1.4.9.").
std::string VirtualDubToolLine(const std::string& version);
inline constexpr char NanDubToolLine[] = "NanDub\t\t\tFound";
inline constexpr char BesweetToolLine[] = "BeSweet\t\t\tFound";

// Start-up: reads the three paths from the settings file into state and
// returns the lines of the tool list (LstExternalApp). Without a settings
// file the paths stay as they are, nothing is shown and the list is empty;
// otherwise there are always three lines, whether the tools exist or not.
std::vector<std::string> LoadToolPaths(ProgramState& state, ProfilePort& profile, FilePort& files,
                                       MessagePort& messages);

// Writes VirtualDubPath, NanDubPath and BesweetPath, in that order, to
// section PATH of the settings file (created when missing), which is
// replaced whole; a failure comes back with the system's reason.
Status SaveToolPaths(const ProgramState& state, ProfilePort& profile);

// Start-up: removes the settings the DivX 4, DivX 4.12 and XviD codecs keep
// for the current user and marks VirtualDub's DivX warning and welcome notice
// as seen. Safe to run any number of times. The first value that could not
// be written comes back as a failure (the others are still tried).
Status PrepareToolRegistry(RegistryPort& registry);

}  // namespace mb
