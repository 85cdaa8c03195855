#include "file_replace.h"

namespace zvk {

const FileCalls kSystemFileCalls = {
    &::GetFileAttributesW, &::GetFileAttributesExW, &::CreateFileW,  &::GetFileSizeEx,    &::ReadFile,
    &::WriteFile,          &::SetFilePointer,       &::SetEndOfFile, &::FlushFileBuffers, &::CloseHandle,
    &::MoveFileExW,        &::DeleteFileW,          &::Sleep,
};

namespace {

ReplaceResult Failure(InstallStep step, DWORD osError) { return {step, osError}; }

// A path as Windows' file calls take it. Past MAX_PATH - 1 characters they refuse its plain
// form, as deep library folders and long mod-pack names reach with the program's ".tmp" and
// ".bak" names; they take the "\\?\" form instead (the wide calls, from Windows XP on), and use
// it as it stands, with no "." or ".." resolved and no "/" read as "\". The program's paths
// are full and plain already: they come from GetCurrentDirectoryW and GetModuleFileNameW.
class SystemPath {
public:
    explicit SystemPath(const wchar_t* path) : plain_(path) {
        PathView view(path);
        if (view.size() < MAX_PATH || view.rfind(L"\\\\?\\", 0) == 0) return;
        const bool network = view.rfind(L"\\\\", 0) == 0;  // \\server\share\...
        if (network) view.remove_prefix(1);
        long_.appendAscii(network ? "\\\\?\\UNC" : "\\\\?\\").append(view);
        inLongForm_ = true;
    }
    // Empty where even the long form does not fit, so that the call fails.
    const wchar_t* c_str() const { return inLongForm_ ? long_.c_str() : plain_; }
    bool tooLong() const { return inLongForm_ && long_.tooLong(); }

private:
    const wchar_t* plain_;
    PathText long_;
    bool inLongForm_ = false;
};

// An open file, closed with its owner unless closed before.
class OpenFile {
public:
    OpenFile(const FileCalls& calls, HANDLE handle) : calls_(calls), handle_(handle) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (isOpen()) calls_.closeHandle(handle_);
    }

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE handle() const { return handle_; }

    // Closes the handle and reports whether the close itself succeeded.
    bool close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return calls_.closeHandle(handle) != FALSE;
    }

private:
    const FileCalls& calls_;
    HANDLE handle_;
};

// Every byte, in as many calls as it takes.
bool WriteAll(const FileCalls& calls, HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
        DWORD written = 0;
        const BOOL wrote = calls.writeFile(file, bytes.data(), chunk, &written, nullptr);
        if (!wrote) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Virus scanners, the search indexer and cloud-sync clients open a file they see change, for a
// moment, often without sharing delete; until they close it, Windows refuses to replace, move
// or delete it, and to create a file in its name while it is being deleted: a sharing
// violation, or access denied. So every step that creates a file in Cars, opens one for
// writing, moves one or deletes one tries again after these pauses, each twice the last: about
// 1.3 seconds in all, then the refusal stands.
constexpr DWORD kPausesForAHold[] = {10, 20, 40, 80, 160, 320, 640};

bool MayBeAHold(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

// Retries an attempt already made, which answered `error`, after each pause while its last
// answer may be a hold; its last answer.
template <class Attempt>
DWORD RetryWhileHeld(const FileCalls& calls, DWORD error, Attempt attempt) {
    for (DWORD pause : kPausesForAHold) {
        if (!MayBeAHold(error)) break;
        calls.sleep(pause);
        error = attempt();
    }
    return error;
}

// Makes `attempt` (which returns its error), retried as above; its last answer.
template <class Attempt>
DWORD TryWaitingOutHolds(const FileCalls& calls, Attempt attempt) {
    return RetryWhileHeld(calls, attempt(), attempt);
}

// CreateFileW, waiting out a hold; its error as GetLastError() where it fails. Shared with no
// one unless `share` says otherwise: a second copy of the program cannot write it meanwhile.
HANDLE Open(const FileCalls& calls, const wchar_t* path, DWORD access, DWORD disposition, DWORD share = 0,
            DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = INVALID_HANDLE_VALUE;
    const DWORD error = TryWaitingOutHolds(calls, [&] {
        file = calls.createFile(SystemPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
        return file != INVALID_HANDLE_VALUE ? DWORD(ERROR_SUCCESS) : GetLastError();
    });
    SetLastError(error);
    return file;
}

DWORD Move(const FileCalls& calls, const wchar_t* from, const wchar_t* to, DWORD flags) {
    return calls.moveFileEx(SystemPath(from).c_str(), SystemPath(to).c_str(), flags) ? DWORD(ERROR_SUCCESS)
                                                                                     : GetLastError();
}

// MoveFileExW rather than ReplaceFileW: the latter can fail half-way with the target gone.
DWORD MoveOver(const FileCalls& calls, const wchar_t* from, const wchar_t* to) {
    return Move(calls, from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// Under Program Files, Windows Vista and later redirect this program's writes to the
// player's VirtualStore, which is where the game reads the file too. A move onto a file that
// exists only in the real folder is not redirected but refused as access denied; an open of
// that file for writing is redirected, and makes the redirected copy without changing a byte.
// From then on the target's name means that copy, and the move is an ordinary rename inside
// the VirtualStore. Without sharing: a sharing violation that outlasts the pauses means another
// program has the file open, and that is the answer.
DWORD MakeRedirectedCopy(const FileCalls& calls, const wchar_t* target) {
    OpenFile copy(calls, Open(calls, target, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    if (!copy.isOpen()) return GetLastError();
    copy.close();
    return ERROR_SUCCESS;
}

// Bytes on the process heap, freed with their owner.
class HeapBytes {
public:
    explicit HeapBytes(SIZE_T size) : bytes_(static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size ? size : 1))) {}
    ~HeapBytes() {
        if (bytes_ != nullptr) HeapFree(GetProcessHeap(), 0, bytes_);
    }
    HeapBytes(const HeapBytes&) = delete;
    HeapBytes& operator=(const HeapBytes&) = delete;
    char* get() const { return bytes_; }

private:
    char* bytes_;
};

// From the start of the open file: exactly `chunks` and nothing after them, on the disk.
// `changed` learns whether the file's bytes may differ from before: from the first write on,
// since a failed write reports no byte written, whatever part of it reached the disk.
bool Overwrite(const FileCalls& calls, HANDLE file, std::initializer_list<std::string_view> chunks, bool& changed) {
    if (calls.setFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    changed = true;
    for (std::string_view chunk : chunks) {
        if (!WriteAll(calls, file, chunk)) return false;
    }
    return calls.setEndOfFile(file) && calls.flushFileBuffers(file);
}

// Writes the target in place, as the game writes its own files: the last resort, since a
// crash half-way would leave a mixed file. If it fails half-way, the old bytes, read first,
// are written back.
ReplaceResult WriteInPlace(const FileCalls& calls, const wchar_t* target,
                           std::initializer_list<std::string_view> chunks) {
    OpenFile file(calls, Open(calls, target, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    if (!file.isOpen()) return Failure(InstallStep::WriteInPlace, GetLastError());

    LARGE_INTEGER size{};
    if (!calls.getFileSize(file.handle(), &size)) return Failure(InstallStep::ReadOldFile, GetLastError());
    if (size.QuadPart > 0x7FFFFFFF) return Failure(InstallStep::ReadOldFile, ERROR_FILE_TOO_LARGE);
    const DWORD length = DWORD(size.QuadPart);
    HeapBytes old(length);
    if (old.get() == nullptr) return Failure(InstallStep::ReadOldFile, ERROR_NOT_ENOUGH_MEMORY);
    DWORD oldLength = 0;
    for (DWORD read = 1; read > 0 && oldLength < length; oldLength += read) {
        if (!calls.readFile(file.handle(), old.get() + oldLength, length - oldLength, &read, nullptr))
            return Failure(InstallStep::ReadOldFile, GetLastError());
    }

    bool changed = false;
    if (!Overwrite(calls, file.handle(), chunks, changed)) {
        ReplaceResult failure = Failure(InstallStep::WriteInPlace, GetLastError());
        bool restoring = false;
        failure.targetDamaged =
            changed && !Overwrite(calls, file.handle(), {std::string_view(old.get(), oldLength)}, restoring);
        return failure;
    }
    // The new bytes are on the disk by now: a failing close cannot take them back, and
    // reporting it would tell the player that nothing changed.
    file.close();
    return {};
}

}  // namespace

FileTime Now() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (FileTime(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool SystemTakes(const PathText& path) { return !path.tooLong() && !SystemPath(path.c_str()).tooLong(); }

PathText InSystemForm(const PathText& path) { return PathText(PathView(SystemPath(path.c_str()).c_str())); }

PathKind KindOf(const FileCalls& calls, const wchar_t* path) {
    const DWORD attributes = calls.getFileAttributes(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return IsMissing(GetLastError()) ? PathKind::Missing : PathKind::Unknown;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

bool LastWritten(const FileCalls& calls, const wchar_t* path, FileTime& written) {
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!calls.getFileAttributesEx(SystemPath(path).c_str(), GetFileExInfoStandard, &file) ||
        (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    written = (FileTime(file.ftLastWriteTime.dwHighDateTime) << 32) | file.ftLastWriteTime.dwLowDateTime;
    return true;
}

// Shared with everyone, so that reading never stands in another program's way; but a program
// that shares nothing with it for a moment is waited out, as for every other step.
FileReader::FileReader(const FileCalls& calls, const wchar_t* path)
    : calls_(calls),
      handle_(reinterpret_cast<std::intptr_t>(Open(calls, path, GENERIC_READ, OPEN_EXISTING,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN))) {
    if (reinterpret_cast<HANDLE>(handle_) == INVALID_HANDLE_VALUE) error_ = LastOsError();
}

FileReader::~FileReader() {
    if (reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE)
        calls_.closeHandle(reinterpret_cast<HANDLE>(handle_));
}

bool FileReader::read(char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const DWORD wanted = size - got > 0x40000000u ? 0x40000000u : DWORD(size - got);
        DWORD read = 0;
        if (!calls_.readFile(reinterpret_cast<HANDLE>(handle_), buffer + got, wanted, &read, nullptr)) {
            error_ = LastOsError();
            return false;
        }
        if (read == 0) break;
        got += read;
    }
    return true;
}

namespace {

DWORD Delete(const FileCalls& calls, const wchar_t* path) {
    return calls.deleteFile(SystemPath(path).c_str()) ? DWORD(ERROR_SUCCESS) : GetLastError();
}

}  // namespace

OsError RemoveFileIfThere(const FileCalls& calls, const wchar_t* path) {
    const DWORD error = TryWaitingOutHolds(calls, [&] { return Delete(calls, path); });
    return IsMissing(error) ? DWORD(ERROR_SUCCESS) : error;
}

namespace {

// A file by this name left by a run killed half-way goes first, a hold on it waited out; then
// the file is created as a new one. One written moments ago is another copy's, closed and not
// yet moved into place, perhaps: it stays, and the name counts as taken. So it is never a file that another copy of the
// program is still writing: that copy's file stands in the way of creating it, and one of the two fails, rather than
// one putting the other's bytes in place.
HANDLE CreateNew(const FileCalls& calls, const wchar_t* path) {
    if (WrittenMomentsAgo(calls, path)) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (KindOf(calls, path) != PathKind::Missing) {
        const DWORD removed = RemoveFileIfThere(calls, path);
        if (removed != ERROR_SUCCESS) {
            SetLastError(removed);
            return INVALID_HANDLE_VALUE;
        }
    }
    return Open(calls, path, GENERIC_WRITE, CREATE_NEW);
}

}  // namespace

TemporaryFile::TemporaryFile(const FileCalls& calls, const wchar_t* path)
    : calls_(calls),
      path_(path),
      handle_(reinterpret_cast<std::intptr_t>(CreateNew(calls, path))),
      created_(isOpen()) {}

bool TemporaryFile::write(std::string_view bytes) { return WriteAll(calls_, reinterpret_cast<HANDLE>(handle_), bytes); }

bool TemporaryFile::flush() { return calls_.flushFileBuffers(reinterpret_cast<HANDLE>(handle_)) != FALSE; }

bool TemporaryFile::close() {
    const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    handle_ = -1;
    return calls_.closeHandle(handle) != FALSE;
}

// Without MOVEFILE_REPLACE_EXISTING: a name that is taken keeps what it holds.
bool TemporaryFile::moveToFreeName(const wchar_t* name) {
    const DWORD error = TryWaitingOutHolds(calls_, [&] { return Move(calls_, path_, name, MOVEFILE_WRITE_THROUGH); });
    SetLastError(error);
    if (error != ERROR_SUCCESS) return false;
    markMoved();
    return true;
}

bool TemporaryFile::discard() {
    if (isOpen()) close();
    if (!created_) return true;
    created_ = false;
    return RemoveFileIfThere(calls_, path_) == ERROR_SUCCESS;
}

OsError LastOsError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : DWORD(ERROR_GEN_FAILURE);
}

// Windows refuses to replace a read-only file and Wine does not: asking first makes the
// answer the same wherever the program runs.
ReplaceResult CheckReplaceable(const FileCalls& calls, const wchar_t* target) {
    const DWORD attributes = calls.getFileAttributes(SystemPath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Failure(InstallStep::CheckTarget, kIsAFolder);
    if (attributes & FILE_ATTRIBUTE_READONLY) return Failure(InstallStep::CheckTarget, ERROR_ACCESS_DENIED);
    return {};
}

namespace {

// What the last move answered: the file in place; or the last resort, where it was refused as
// access denied to a plain file; or the refusal.
ReplaceResult AfterTheLastMove(const FileCalls& calls, TemporaryFile& file, const wchar_t* target,
                               std::initializer_list<std::string_view> chunks, DWORD error, bool targetIsFile) {
    if (error == ERROR_SUCCESS) {
        file.markMoved();
        return {};
    }
    if (error != ERROR_ACCESS_DENIED || !targetIsFile) return file.discarding(Failure(InstallStep::Replace, error));
    // The temporary file, complete on the disk, is deleted only once the target holds the
    // new bytes, or has failed to.
    return file.discarding(WriteInPlace(calls, target, chunks));
}

}  // namespace

ReplaceResult PutInPlace(const FileCalls& calls, TemporaryFile& file, const wchar_t* target,
                         std::initializer_list<std::string_view> chunks) {
    const bool targetIsFile = KindOf(calls, target) == PathKind::File;
    const auto moveOver = [&] { return MoveOver(calls, file.path(), target); };
    const DWORD first = moveOver();
    // Access denied on a plain file is the rule under Program Files, not a hold: the
    // redirected copy at once, and pauses only for the move after it.
    if (first == ERROR_ACCESS_DENIED && targetIsFile) {
        const DWORD copied = MakeRedirectedCopy(calls, target);
        if (copied != ERROR_SUCCESS) return file.discarding(Failure(InstallStep::Replace, copied));
        return AfterTheLastMove(calls, file, target, chunks, TryWaitingOutHolds(calls, moveOver), true);
    }
    // Anything else may be a brief hold on either file.
    return AfterTheLastMove(calls, file, target, chunks, RetryWhileHeld(calls, first, moveOver), targetIsFile);
}

}  // namespace zvk
