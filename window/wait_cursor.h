// The wait cursor while the installer pauses to wait out a file that a virus scanner or the
// search indexer holds for a moment.
#pragma once

#include "file_calls.h"

#include <windows.h>

namespace zvk {

// While it lives, its calls() are the system's file calls with pauses that show the wait
// cursor; the cursor of before comes back with its end.
class WaitCursorWhilePausing {
public:
    WaitCursorWhilePausing();
    ~WaitCursorWhilePausing();
    WaitCursorWhilePausing(const WaitCursorWhilePausing&) = delete;
    WaitCursorWhilePausing& operator=(const WaitCursorWhilePausing&) = delete;

    const FileCalls& calls() const { return calls_; }

private:
    FileCalls calls_;
    HCURSOR before_;
};

}  // namespace zvk
