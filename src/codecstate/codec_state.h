// The codec state records of DivX 5, DivX 4 and XviD, built from the main
// window's settings into ProgramState::CompDataPass1..3.
#pragma once

#include <string>

#include "model/encode_settings.h"
#include "model/program_state.h"
#include "model/ports.h"

namespace mb {

// Each builder checks its entries in order and shows the first problem in a
// message box ("No input for ...", "Invalid input. ..."); it then returns
// false and leaves CompDataPass1..3 untouched. On success it sets the texts
// of the passes and returns true.
bool CreateCompDataDivx5(const EncodeSettings& s, ProgramState& state, MessagePort& messages,
                         const NumberFormat& format);
bool CreateCompDataDivx4(const EncodeSettings& s, ProgramState& state, MessagePort& messages,
                         const NumberFormat& format);
bool CreateCompDataXvid(const EncodeSettings& s, ProgramState& state, MessagePort& messages,
                        const NumberFormat& format);

// The templates as base64 text without "=" (432, 423 and 1,500 characters).
const std::string& Divx5Template();
const std::string& Divx4Template();
const std::string& XvidTemplate();

}  // namespace mb
