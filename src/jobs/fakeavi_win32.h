// The fake AVI as the Windows programs carry it: resource type "FAKEAVI",
// id 1 (jobs.rc).
#pragma once

#include <string>

namespace mb {

// The bytes of the running program's "FAKEAVI" resource; empty when the
// program carries none. Pass them to WriteFakeAvi.
std::string LoadFakeAviResource();

}  // namespace mb
