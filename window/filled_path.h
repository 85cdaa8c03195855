// Paths that system calls fill in, however long they are.
#pragma once

#include "path_text.h"

#include <cstdlib>
#include <windows.h>

namespace zvk {

// A path from a system call that fills in the room it is given: it answers the length it
// wrote, or, where the room was too small, more than fits (the length it needs) or all of the
// room (a path cut short, as GetModuleFileNameW does); 0 where it fails. Empty where it fails,
// and too long where not even the longest path Windows takes holds it.
template <class Fill>
PathText FilledBy(Fill fill) {
    for (DWORD room = MAX_PATH + 1;; room *= 2) {
        // Cleared: a call that answers "too small" may leave the room as it was.
        auto* chars = static_cast<wchar_t*>(std::calloc(room, sizeof(wchar_t)));
        if (chars == nullptr) return {};
        const DWORD length = fill(chars, room);
        const bool fits = length < room;
        const bool longest = room > PathText::kMostChars;
        const PathText path = length == 0 ? PathText() : PathText(PathView(chars, fits ? length : room));
        std::free(chars);
        if (fits || longest || length == 0) return path;
    }
}

}  // namespace zvk
