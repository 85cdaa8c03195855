#include "file_replace.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace zvk {
namespace {

ReplaceResult Failure(ReplaceStep step, DWORD osError) { return {step, osError}; }

bool IsInjected(const InjectedFault* fault, ReplaceStep step) {
    return fault != nullptr && fault->step == step;
}

// The temporary file while it is being written: closed, and deleted unless it took the
// target's place, whichever way the replace ends.
class TemporaryFile {
public:
    explicit TemporaryFile(const wchar_t* path)
        : path_(path),
          // CREATE_ALWAYS also reuses a file left behind by a run that was killed half-way.
          // No sharing: a second copy of the program cannot write it at the same time.
          handle_(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (isOpen()) CloseHandle(handle_);
        if (!moved_ && created()) DeleteFileW(path_);
    }

    bool created() const { return created_; }
    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE handle() const { return handle_; }

    // Closes the handle and reports whether the close itself succeeded.
    bool close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }
    void markMoved() { moved_ = true; }

private:
    const wchar_t* path_;
    HANDLE handle_;
    bool created_ = handle_ != INVALID_HANDLE_VALUE;
    bool moved_ = false;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Windows itself refuses to replace a read-only file or one another program holds open
// without sharing; finding out before anything is written keeps the refusal cheap and makes
// it the same wherever the program runs (Wine maps these checks loosely onto its host).
DWORD TargetRefusal(const wchar_t* target) {
    const DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;  // absent: nothing to guard
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_SUCCESS;  // the move will refuse
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    HANDLE probe = CreateFileW(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(probe);
    return ERROR_SUCCESS;
}

}  // namespace

ReplaceResult ReplaceFileContents(const wchar_t* target, const wchar_t* temporary,
                                  std::initializer_list<std::string_view> chunks,
                                  const InjectedFault* fault) {
    const DWORD refusal = IsInjected(fault, ReplaceStep::CheckTarget) ? fault->osError
                                                                      : TargetRefusal(target);
    if (refusal != ERROR_SUCCESS) return Failure(ReplaceStep::CheckTarget, refusal);

    TemporaryFile file(temporary);
    if (!file.created()) return Failure(ReplaceStep::CreateTemporary, GetLastError());
    if (IsInjected(fault, ReplaceStep::CreateTemporary))
        return Failure(ReplaceStep::CreateTemporary, fault->osError);

    for (std::string_view chunk : chunks) {
        if (!WriteAll(file.handle(), chunk)) return Failure(ReplaceStep::Write, GetLastError());
    }
    if (IsInjected(fault, ReplaceStep::Write)) return Failure(ReplaceStep::Write, fault->osError);

    if (!FlushFileBuffers(file.handle())) return Failure(ReplaceStep::Flush, GetLastError());
    if (IsInjected(fault, ReplaceStep::Flush)) return Failure(ReplaceStep::Flush, fault->osError);

    if (!file.close()) return Failure(ReplaceStep::Close, GetLastError());
    if (IsInjected(fault, ReplaceStep::Close)) return Failure(ReplaceStep::Close, fault->osError);

    if (IsInjected(fault, ReplaceStep::Replace)) return Failure(ReplaceStep::Replace, fault->osError);
    // MoveFileExW rather than ReplaceFileW: the latter can fail half-way with the target gone.
    if (!MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Failure(ReplaceStep::Replace, GetLastError());
    file.markMoved();
    return {};
}

}  // namespace zvk
