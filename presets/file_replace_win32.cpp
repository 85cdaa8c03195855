#include "file_replace_win32.h"

namespace zvk {

const Win32FileCalls kSystemFileCalls = {
    &::GetFileAttributesW, &::CreateFileW,      &::ReadFile,         &::WriteFile,
    &::SetFilePointer,     &::SetEndOfFile,     &::FlushFileBuffers, &::CloseHandle,
    &::MoveFileExW,        &::DeleteFileW,
};

namespace {

ReplaceResult Failure(ReplaceStep step, DWORD osError) { return {step, osError}; }

bool IsInjected(const InjectedFault* fault, ReplaceStep step) {
    return fault != nullptr && fault->step == step;
}

// An open file, closed with its owner unless closed before.
class OpenFile {
public:
    OpenFile(const Win32FileCalls& calls, HANDLE handle) : calls_(calls), handle_(handle) {}
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

protected:
    const Win32FileCalls& calls() const { return calls_; }

private:
    const Win32FileCalls& calls_;
    HANDLE handle_;
};

// The temporary file while it is being written: closed, and deleted unless it took the
// target's place, whichever way the replace ends.
class TemporaryFile : public OpenFile {
public:
    TemporaryFile(const Win32FileCalls& calls, const wchar_t* path)
        // CREATE_ALWAYS also reuses a file left behind by a run that was killed half-way.
        // No sharing: a second copy of the program cannot write it at the same time.
        : OpenFile(calls, calls.createFile(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr)),
          path_(path), created_(isOpen()) {}
    ~TemporaryFile() {
        if (isOpen()) close();
        if (created_ && !moved_) calls().deleteFile(path_);
    }
    void markMoved() { moved_ = true; }

private:
    const wchar_t* path_;
    bool created_;
    bool moved_ = false;
};

bool WriteAll(const Win32FileCalls& calls, HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
        DWORD written = 0;
        if (!calls.writeFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The camera file is under 3 KB; a file far larger is not one the program would hold in
// memory in order to put it back.
constexpr DWORD kLargestFileToRestore = 64 * 1024;

// The whole file from where it stands, into `bytes`; its length in `length`.
bool ReadAll(const Win32FileCalls& calls, HANDLE file, char* bytes, DWORD& length) {
    length = 0;
    for (;;) {
        DWORD read = 0;
        if (!calls.readFile(file, bytes + length, kLargestFileToRestore - length, &read, nullptr))
            return false;
        if (read == 0) return true;
        length += read;
        if (length == kLargestFileToRestore) {  // full, so quite possibly not all of it
            SetLastError(ERROR_FILE_TOO_LARGE);
            return false;
        }
    }
}

// From the start of the open file: exactly `chunks` and nothing after them, on the disk.
bool Overwrite(const Win32FileCalls& calls, HANDLE file,
               std::initializer_list<std::string_view> chunks) {
    if (calls.setFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    for (std::string_view chunk : chunks) {
        if (!WriteAll(calls, file, chunk)) return false;
    }
    return calls.setEndOfFile(file) && calls.flushFileBuffers(file);
}

// Writes the target in place, as the game writes its own files. If that fails half-way, the
// old bytes, read first, are written back.
ReplaceResult WriteInPlace(const Win32FileCalls& calls, const wchar_t* target,
                           std::initializer_list<std::string_view> chunks) {
    OpenFile file(calls, calls.createFile(target, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isOpen()) return Failure(ReplaceStep::WriteInPlace, GetLastError());
    char old[kLargestFileToRestore];
    DWORD oldLength = 0;
    if (!ReadAll(calls, file.handle(), old, oldLength))
        return Failure(ReplaceStep::WriteInPlace, GetLastError());

    if (!Overwrite(calls, file.handle(), chunks)) {
        ReplaceResult failure = Failure(ReplaceStep::WriteInPlace, GetLastError());
        failure.targetDamaged = !Overwrite(calls, file.handle(), {std::string_view(old, oldLength)});
        return failure;
    }
    // The new bytes are on the disk by now: a failing close cannot take them back, and
    // reporting it would tell the player that nothing changed.
    file.close();
    return {};
}

}  // namespace

ReplaceResult ReplaceFileContents(const Win32FileCalls& calls, const wchar_t* target,
                                  const wchar_t* temporary,
                                  std::initializer_list<std::string_view> chunks,
                                  const InjectedFault* fault) {
    const DWORD attributes = calls.getFileAttributes(target);
    const bool targetIsFile =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    // Windows refuses to replace a read-only file and Wine does not: asking first makes the
    // answer the same wherever the program runs.
    const DWORD refusal = IsInjected(fault, ReplaceStep::CheckTarget) ? fault->osError
                          : targetIsFile && (attributes & FILE_ATTRIBUTE_READONLY)
                              ? DWORD(ERROR_ACCESS_DENIED)
                              : DWORD(ERROR_SUCCESS);
    if (refusal != ERROR_SUCCESS) return Failure(ReplaceStep::CheckTarget, refusal);

    TemporaryFile file(calls, temporary);
    if (!file.isOpen()) return Failure(ReplaceStep::CreateTemporary, GetLastError());
    if (IsInjected(fault, ReplaceStep::CreateTemporary))
        return Failure(ReplaceStep::CreateTemporary, fault->osError);

    for (std::string_view chunk : chunks) {
        if (!WriteAll(calls, file.handle(), chunk)) return Failure(ReplaceStep::Write, GetLastError());
    }
    if (IsInjected(fault, ReplaceStep::Write)) return Failure(ReplaceStep::Write, fault->osError);

    if (!calls.flushFileBuffers(file.handle())) return Failure(ReplaceStep::Flush, GetLastError());
    if (IsInjected(fault, ReplaceStep::Flush)) return Failure(ReplaceStep::Flush, fault->osError);

    if (!file.close()) return Failure(ReplaceStep::Close, GetLastError());
    if (IsInjected(fault, ReplaceStep::Close)) return Failure(ReplaceStep::Close, fault->osError);

    // MoveFileExW rather than ReplaceFileW: the latter can fail half-way with the target gone.
    DWORD moveError = IsInjected(fault, ReplaceStep::Replace) ? fault->osError : 0;
    if (moveError == 0 && !calls.moveFileEx(temporary, target,
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        moveError = GetLastError();
    if (moveError == 0) {
        file.markMoved();
        return {};
    }
    // Under Program Files, Windows Vista and later redirect this program's writes to the
    // player's VirtualStore, which is where the game reads the file too. That redirection
    // covers creating and writing files, but not every move onto a file that exists only in
    // the real folder: such a move is refused as access denied. Writing the file in place is
    // redirected, so that is what the program falls back to. The temporary file, complete on
    // the disk, is deleted only once the target holds the new bytes.
    if (moveError != ERROR_ACCESS_DENIED || !targetIsFile) return Failure(ReplaceStep::Replace, moveError);
    return WriteInPlace(calls, target, chunks);
}

ReplaceResult ReplaceFileContents(const wchar_t* target, const wchar_t* temporary,
                                  std::initializer_list<std::string_view> chunks,
                                  const InjectedFault* fault) {
    return ReplaceFileContents(kSystemFileCalls, target, temporary, chunks, fault);
}

}  // namespace zvk
