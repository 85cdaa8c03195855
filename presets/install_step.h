// The steps of an install, the file each works on, and how a step ended, as values.
// Every failure of the core is reported so, and the window turns it into words.
#pragma once

#include <cstdint>

namespace zvk {

// GetLastError() on Windows, errno on POSIX.
using OsError = std::uint32_t;

// The steps of an install, in order; a failure names the one that failed.
enum class InstallStep : std::uint8_t {
    None,             // nothing failed
    FindGameFolder,   // no folder that holds Cars: neither the working folder nor the program's
    ReadKeptFile,     // the player's kept camera file, to be put back, could not be read
    ReadCameraFile,   // the camera file could not be read, to tell whose it is
    KeepOwnFile,      // the player's own camera file could not be kept as a backup
    CheckTarget,      // the file to replace is read-only, or a folder (kIsAFolder)
    CreateTemporary,  // a temporary file beside the target (the new file, or a backup) could not be created
    Write,
    Flush,
    Close,
    Replace,       // the temporary file could not take the target's place
    ReadOldFile,   // Windows only: the target's old bytes, read before writing over it
    WriteInPlace,  // Windows only: the target, written over where every move was refused
};

// The file a failed step was working on, which is the one the player must look at.
enum class StepFile : std::uint8_t { CameraFile, KeptFile, TemporaryFile };

// The file a step works on, unless its failure says otherwise.
constexpr StepFile FileOfStep(InstallStep step) {
    switch (step) {
        case InstallStep::ReadKeptFile:
            return StepFile::KeptFile;
        case InstallStep::KeepOwnFile:  // the copy is written through the temporary file
        case InstallStep::CreateTemporary:
        case InstallStep::Write:
        case InstallStep::Flush:
        case InstallStep::Close:
            return StepFile::TemporaryFile;
        default:
            return StepFile::CameraFile;
    }
}

// Success, or the step that failed, the file it failed on and the operating system's error
// code for it. A failure leaves the target as it was, unless a write in place failed and the
// old bytes could not be put back either: then it is damaged. The temporary file is gone
// either way, unless deleting it failed too: then it is left.
struct [[nodiscard]] ReplaceResult {
    InstallStep failedStep = InstallStep::None;
    OsError osError = 0;
    StepFile failedFile = StepFile::CameraFile;
    bool targetDamaged = false;
    bool temporaryLeft = false;

    ReplaceResult() = default;
    ReplaceResult(InstallStep step, OsError error, StepFile file)
        : failedStep(step), osError(error), failedFile(file) {}
    ReplaceResult(InstallStep step, OsError error) : ReplaceResult(step, error, FileOfStep(step)) {}

    bool succeeded() const { return failedStep == InstallStep::None; }
};

}  // namespace zvk
