// Replacing a file's whole content in one step: the only platform-specific code of the core.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zvk {

#ifdef _WIN32
using PathChar = wchar_t;
#else
using PathChar = char;
#endif

// The steps of a replace, in order; a failure names the one that failed.
enum class ReplaceStep : std::uint8_t {
    None,             // nothing failed
    CheckTarget,      // the file to replace is read-only
    CreateTemporary,  // the temporary file beside the target could not be created
    Write,
    Flush,
    Close,
    Replace,          // the temporary file could not take the target's place
    WriteInPlace,     // Windows only: the target, written over where the move was refused
};

// Success, or the step that failed and the operating system's error code for it
// (GetLastError() on Windows, errno on POSIX). A failure leaves the target as it was, unless
// a write in place failed and the old bytes could not be put back either: then it is damaged.
struct [[nodiscard]] ReplaceResult {
    ReplaceStep failedStep = ReplaceStep::None;
    std::uint32_t osError = 0;
    bool targetDamaged = false;

    bool succeeded() const { return failedStep == ReplaceStep::None; }
};

// Lets a test make one step fail as if the operating system had refused it.
struct InjectedFault {
    ReplaceStep step;
    std::uint32_t osError;
};

// Writes `chunks`, one after the other, to `temporary` (created or truncated; it must lie in
// the target's folder), makes them durable and then moves the file over `target` in one step.
// Where Windows refuses that move but lets the target be written, the bytes are written over
// the target in place instead. Either `target` ends up holding exactly the new bytes, or it is
// left as it was (see ReplaceResult) and `temporary` is gone. Folders are never created, and a
// read-only target is never made writable: that is a CheckTarget failure.
ReplaceResult ReplaceFileContents(const PathChar* target, const PathChar* temporary,
                                  std::initializer_list<std::string_view> chunks,
                                  const InjectedFault* fault = nullptr);

}  // namespace zvk
