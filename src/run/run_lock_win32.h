// The run lock across processes: a named mutex that marobex.exe and
// marobex-cli.exe take for a whole run, so that two runs never write the
// same job scripts in c:\ at once.
#pragma once

#include <windows.h>

#include "model/ports.h"

namespace mb {

// The mutex's name, in the global namespace: a run scheduled in another
// logon session writes the same files.
inline constexpr char RunMutexName[] = "Global\\Marobex.EncodingRun";

class RunMutexW32 : public RunLockPort {
public:
    RunMutexW32() = default;
    ~RunMutexW32() override { Unlock(); }
    RunMutexW32(const RunMutexW32&) = delete;
    RunMutexW32& operator=(const RunMutexW32&) = delete;

    // Takes the mutex without waiting. A mutex left by a run that died is
    // taken over.
    bool TryLock() override;
    void Unlock() override;

private:
    HANDLE mutex_ = nullptr;
};

}  // namespace mb
