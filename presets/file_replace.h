// The core's file operations: reading a file, replacing a file's whole content in one step, and
// keeping a copy of a file under a new name. The two sequences are written once, in
// file_replace.cpp; the files they use are the only platform-specific code of the core.
#pragma once

#include "file_calls.h"
#include "install_step.h"
#include "path_text.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zvk {

// The error of a name to be replaced that is a folder: refused before anything changes.
#ifdef _WIN32
inline constexpr OsError kIsAFolder = 336;  // ERROR_DIRECTORY_NOT_SUPPORTED, newer than XP's headers
inline constexpr OsError kOutOfMemory = ERROR_NOT_ENOUGH_MEMORY;
inline constexpr OsError kPathTooLong = ERROR_FILENAME_EXCED_RANGE;
#else
inline constexpr OsError kIsAFolder = EISDIR;
inline constexpr OsError kOutOfMemory = ENOMEM;
inline constexpr OsError kPathTooLong = ENAMETOOLONG;
#endif
// The error of a file that changed between the moment it was read and judged and the moment it
// was to be replaced: another program's doing. The program's own code: the system sets bit 29
// in none of its own.
inline constexpr OsError kChangedMeanwhile = 0x20000001;

// Whether `error` says that a name is another file's: the system's answer to creating a new
// file, or moving one without replacing, onto a name that is taken.
constexpr bool IsNameTaken(OsError error) {
#ifdef _WIN32
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
#else
    return error == EEXIST;
#endif
}

// Whether `error` says that a file, or a folder on its path, is not there.
constexpr bool IsMissing(OsError error) {
#ifdef _WIN32
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
#else
    return error == ENOENT || error == ENOTDIR;
#endif
}

// Whether the system's file calls take `path`, in the form the program gives it to them; a
// longer path is refused before anything changes.
bool SystemTakes(const PathText& path);

#ifdef _WIN32
// `path` in the form the program gives the system's file calls: its "\\?\" form past MAX_PATH.
PathText InSystemForm(const PathText& path);
#endif

enum class PathKind : std::uint8_t { Missing, File, Folder, Unknown };

// What is at `path`, without opening it. Unknown: it could not be told (see the OS error).
PathKind KindOf(const FileCalls& calls, const PathChar* path);

// A moment in the system's own file time: FILETIME's ticks on Windows, nanoseconds since 1970
// on POSIX. Later is more.
using FileTime = std::uint64_t;
#ifdef _WIN32
inline constexpr FileTime kFileTimePerSecond = 10000000;
#else
inline constexpr FileTime kFileTimePerSecond = 1000000000;
#endif

// When the file at `path` was last written; false where it is missing, a folder, or cannot
// be looked at.
bool LastWritten(const FileCalls& calls, const PathChar* path, FileTime& written);

// Now, in file time.
FileTime Now();

// Whether the file at `path` was written moments ago: a temporary file that another copy of
// the program is writing, or has closed and not yet moved into place, rather than one that a
// run killed half-way left behind, which may go.
bool WrittenMomentsAgo(const FileCalls& calls, const PathChar* path);

// Deletes the file at `path`, a hold on it waited out: 0 where it is gone or was never there,
// else why it stays.
OsError RemoveFileIfThere(const FileCalls& calls, const PathChar* path);

// A file opened for reading, shared with everyone: reading never stands in another program's
// way. Closed with its owner.
class FileReader {
public:
    FileReader(const FileCalls& calls, const PathChar* path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opened, and no read failed since.
    bool noErrorYet() const { return error_ == 0; }
    // Why it could not be opened, or why the last read failed.
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
    WholeFile() = default;  // nothing read, and nothing failed
    WholeFile(const FileCalls& calls, const PathChar* path);
    ~WholeFile();
    WholeFile(WholeFile&& other) noexcept { swap(other); }
    WholeFile& operator=(WholeFile&& other) noexcept {
        swap(other);
        return *this;
    }

    bool isRead() const { return error_ == 0; }
    OsError error() const { return error_; }  // why it could not be read
    std::string_view bytes() const { return {bytes_, size_}; }

private:
    void swap(WholeFile& other) noexcept;

    char* bytes_ = nullptr;
    std::size_t size_ = 0;
    OsError error_ = 0;
};

// What a file held when it was read and judged, to be checked again just before it is
// replaced: where it changed meanwhile, another program changed it, and it is left alone.
struct AsRead {
    bool existed = false;
    std::string_view bytes;  // where it existed
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
// makes them durable and then puts the file in `target`'s place, once `target` is found to be
// still `asRead` where that is given (a Replace failure with kChangedMeanwhile where it is not,
// a ReadCameraFile failure where it cannot be read). Either `target` ends up holding exactly
// the new bytes, or it is left as it was (see ReplaceResult). Folders are never created.
ReplaceResult ReplaceFileContents(const FileCalls& calls, const PathChar* target, const PathChar* temporary,
                                  std::initializer_list<std::string_view> chunks, const AsRead* asRead = nullptr);

// Writes `bytes` through `temporary` to `copy`, a name that must not be taken: the copy is
// complete and durable under its name, or absent. A CreateTemporary failure where the temporary
// file cannot be made, as for an install; any other, a KeepOwnFile failure of the temporary file.
ReplaceResult KeepCopy(const FileCalls& calls, std::string_view bytes, const PathChar* temporary, const PathChar* copy);

}  // namespace zvk
