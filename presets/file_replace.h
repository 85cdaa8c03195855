// The core's file operations: reading a file, replacing a file's whole content in one step, and
// keeping a copy of a file under a new name. The two sequences are written once, in
// file_replace.cpp; the files they use are the only platform-specific code of the core.
#pragma once

#include "file_calls.h"
#include "path_text.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zvk {

// GetLastError() on Windows, errno on POSIX.
using OsError = std::uint32_t;

// The error of a name to be replaced that is a folder: refused before anything changes.
#ifdef _WIN32
inline constexpr OsError kIsAFolder = 336;  // ERROR_DIRECTORY_NOT_SUPPORTED, newer than XP's headers
inline constexpr OsError kOutOfMemory = ERROR_NOT_ENOUGH_MEMORY;
#else
inline constexpr OsError kIsAFolder = EISDIR;
inline constexpr OsError kOutOfMemory = ENOMEM;
#endif

// The steps of an install, in order; a failure names the one that failed.
enum class ReplaceStep : std::uint8_t {
    None,             // nothing failed
    FindGameFolder,   // no folder that holds Cars: neither the working folder nor the program's
    ReadKeptFile,     // the player's kept camera file, to be put back, could not be read
    ReadCameraFile,   // the camera file could not be read, to tell whose it is
    KeepOwnFile,      // the player's own camera file could not be kept as a backup
    CheckTarget,      // the file to replace is read-only, or a folder (kIsAFolder)
    CreateTemporary,  // the temporary file beside the target could not be created
    Write,
    Flush,
    Close,
    Replace,          // the temporary file could not take the target's place
    ReadOldFile,      // Windows only: the target's old bytes, read before writing over it
    WriteInPlace,     // Windows only: the target, written over where every move was refused
};

// Success, or the step that failed and the operating system's error code for it. A failure
// leaves the target as it was, unless a write in place failed and the old bytes could not be
// put back either: then it is damaged. The temporary file is gone either way, unless deleting
// it failed too: then it is left.
struct [[nodiscard]] ReplaceResult {
    ReplaceStep failedStep = ReplaceStep::None;
    OsError osError = 0;
    bool targetDamaged = false;
    bool temporaryLeft = false;

    bool succeeded() const { return failedStep == ReplaceStep::None; }
};

enum class PathKind : std::uint8_t { Missing, File, Folder, Unknown };

// What is at `path`, without opening it. Unknown: it could not be told (see the OS error).
PathKind KindOf(const FileCalls& calls, const PathChar* path);

// A file opened for reading, shared with everyone: reading never stands in another program's
// way. Closed with its owner.
class FileReader {
public:
    FileReader(const FileCalls& calls, const PathChar* path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool isOpen() const { return error_ == 0; }
    // Why it is not open, or why the last read failed.
    OsError error() const { return error_; }
    // Fills `buffer` up to `size` bytes, fewer only at the end of the file. False on a failure.
    bool read(char* buffer, std::size_t size, std::size_t& got);

private:
    const FileCalls& calls_;
    std::intptr_t handle_;  // -1 when not open
    OsError error_ = 0;
};

// A whole file's bytes, read into memory that goes with its owner.
class WholeFile {
public:
    WholeFile(const FileCalls& calls, const PathChar* path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    bool isRead() const { return error_ == 0; }
    OsError error() const { return error_; }  // why it could not be read
    std::string_view bytes() const { return {bytes_, size_}; }

private:
    char* bytes_ = nullptr;
    std::size_t size_ = 0;
    OsError error_ = 0;
};

// A new file, written beside the file it is to become, in place of any file of that name left
// by a run killed half-way; shared with no one while it is open, and closed and deleted with
// its owner unless it was moved into place.
class TemporaryFile {
public:
    TemporaryFile(const FileCalls& calls, const PathChar* path);
    ~TemporaryFile() { discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Each call below reports a failure as false, with the reason in LastOsError().
    bool isOpen() const { return handle_ != -1; }
    const PathChar* path() const { return path_; }
    bool write(std::string_view bytes);
    bool flush();  // every byte on the disk
    bool close();
    // Gives the closed file `name`, which must be free: never replaces. Durable once done.
    bool moveToFreeName(const PathChar* name);
    void markMoved() { created_ = false; }

    // Ends with `result`: the file closed and deleted, and said so where it could not be.
    ReplaceResult discarding(ReplaceResult result) {
        result.temporaryLeft = !discard();
        return result;
    }

private:
    bool discard();

    const FileCalls& calls_;
    const PathChar* path_;
    std::intptr_t handle_;
    bool created_;
};

// GetLastError() on Windows, errno on POSIX; never 0.
OsError LastOsError();

// Success, or a CheckTarget failure where `target` is read-only (the player meant it to stay
// as it is, so it is never made writable) or a folder. ReplaceFileContents asks this first too.
ReplaceResult CheckReplaceable(const FileCalls& calls, const PathChar* target);

// Puts the complete and closed `file` in `target`'s place in one step, or says why not. On
// Windows, where every move is refused but the target may be written, `chunks` (what the file
// holds) are written over the target in place as a last resort. Discards `file` unless moved.
ReplaceResult PutInPlace(const FileCalls& calls, TemporaryFile& file, const PathChar* target,
                         std::initializer_list<std::string_view> chunks);

// Writes `chunks`, one after the other, to `temporary` (it must lie in the target's folder),
// makes them durable and then puts the file in `target`'s place. Either `target` ends up
// holding exactly the new bytes, or it is left as it was (see ReplaceResult). Folders are
// never created.
ReplaceResult ReplaceFileContents(const FileCalls& calls, const PathChar* target,
                                  const PathChar* temporary,
                                  std::initializer_list<std::string_view> chunks);

// Copies `source` through `temporary` to `copy`, a name that must not be taken: the copy is
// complete and durable under its name, or absent. Any failure is a KeepOwnFile failure.
ReplaceResult KeepCopy(const FileCalls& calls, const PathChar* source, const PathChar* temporary,
                       const PathChar* copy);

}  // namespace zvk
