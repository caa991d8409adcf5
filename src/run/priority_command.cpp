#include "run/priority_command.h"

namespace mb {

ProgramCommand PriorityCommand(int ApplicationNumber, const EncodeSettings& s,
                               const std::string& programFolder) {
    std::string program = programFolder;
    if (program.empty() || program.back() != '\\') program += '\\';  // a drive root keeps its one "\"
    program += "Priority.exe";
    std::string cmd = " ";
    cmd += ApplicationNumber == 1 ? "\"WI00:VirtualDub Status\"" : "\"WI00:Nandub Status\"";
    if (s.ChkShowInput == 0) cmd += " BT01:";
    if (s.ChkShowOutput == 0) cmd += " BT02:";
    cmd += " \"CB00:" + ChoiceText(Ctl::CmbPriority, s.CmbPriority) + "\"";
    cmd += " QU00:";
    return {program, cmd};
}

void SetVdubPriority(int ApplicationNumber, const EncodeSettings& s, const ProgramState& state,
                     ProcessPort& processes) {
    processes.StartProcess(PriorityCommand(ApplicationNumber, s, state.ProgramFolder), 0);
}

}  // namespace mb
