#include "run/run_lock_win32.h"

namespace mb {

bool RunMutexW32::TryLock() {
    if (mutex_) return true;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, RunMutexName);
    if (!mutex) {
        // Created by another user's run, whose mutex we may not open: that
        // run is going on. Any other failure leaves nothing to lock with,
        // and refusing every run for it would lock the user out.
        return GetLastError() != ERROR_ACCESS_DENIED;
    }
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    mutex_ = mutex;
    return true;
}

void RunMutexW32::Unlock() {
    if (!mutex_) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
    mutex_ = nullptr;
}

}  // namespace mb
