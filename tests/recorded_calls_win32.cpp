#include "recorded_calls.h"

#include <map>

namespace zvk::test_support {

std::vector<std::string> gCallLog;

namespace {

struct Refusal {
    OsError error;
    int count;
    std::size_t partBytes;
};
std::map<std::pair<Call, std::string>, Refusal> gRefusals;
std::map<std::pair<Call, std::string>, void (*)()> gMeanwhile;
std::map<HANDLE, std::string> gNames;

// The path's last name, after "\\?\...\" where the call was given its long form.
std::string NameOf(const wchar_t* path) {
    const std::string longForm = std::wstring_view(path).rfind(L"\\\\?\\", 0) == 0 ? "\\\\?\\...\\" : "";
    std::string name;
    for (; *path != L'\0'; ++path) {
        if (*path == L'\\' || *path == L'/')
            name.clear();
        else
            name += char(*path);
    }
    return longForm + name;
}

std::string Hex(DWORD value) {
    char text[16];
    wsprintfA(text, "%lx", value);
    return text;
}

// Logs the call and, if a refusal is due, uses it up and returns it.
const Refusal* LoggedAndRefused(const std::string& line, Call call, const std::string& name) {
    const auto meanwhile = gMeanwhile.find({call, name});
    if (meanwhile != gMeanwhile.end()) {
        void (*action)() = meanwhile->second;
        gMeanwhile.erase(meanwhile);
        action();
    }
    gCallLog.push_back(line);
    static Refusal used;
    const auto refusal = gRefusals.find({call, name});
    if (refusal == gRefusals.end()) return nullptr;
    used = refusal->second;
    if (--refusal->second.count == 0) gRefusals.erase(refusal);
    SetLastError(used.error);
    return &used;
}

HANDLE WINAPI RecordCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE model) {
    const std::string name = NameOf(path);
    if (LoggedAndRefused("CreateFile " + name + " access " + Hex(access) + " share " + Hex(share) + " disposition " +
                             Hex(disposition),
                         Call::Open, name))
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(path, access, share, security, disposition, flags, model);
    gNames[file] = name;
    return file;
}
BOOL WINAPI RecordReadFile(HANDLE file, LPVOID bytes, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
    return !LoggedAndRefused("ReadFile " + gNames[file], Call::Read, gNames[file]) &&
           ReadFile(file, bytes, size, read, overlapped);
}
BOOL WINAPI RecordWriteFile(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    const Refusal* refusal =
        LoggedAndRefused("WriteFile " + gNames[file] + " " + std::to_string(size), Call::Write, gNames[file]);
    if (refusal == nullptr) return WriteFile(file, bytes, size, written, overlapped);
    if (refusal->partBytes > 0) WriteFile(file, bytes, DWORD(refusal->partBytes), written, overlapped);
    SetLastError(refusal->error);
    return FALSE;
}
BOOL WINAPI RecordSetEndOfFile(HANDLE file) {
    gCallLog.push_back("SetEndOfFile " + gNames[file]);
    return SetEndOfFile(file);
}
BOOL WINAPI RecordFlushFileBuffers(HANDLE file) {
    return !LoggedAndRefused("FlushFileBuffers " + gNames[file], Call::Flush, gNames[file]) && FlushFileBuffers(file);
}
BOOL WINAPI RecordCloseHandle(HANDLE file) {
    const bool refused = LoggedAndRefused("CloseHandle " + gNames[file], Call::Close, gNames[file]) != nullptr;
    return CloseHandle(file) && !refused;  // closed either way, as after a failing close
}
BOOL WINAPI RecordMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return !LoggedAndRefused("MoveFileEx " + NameOf(from) + " to " + NameOf(to) + " flags " + Hex(flags), Call::Move,
                             NameOf(to)) &&
           MoveFileExW(from, to, flags);
}
BOOL WINAPI RecordDeleteFile(LPCWSTR path) {
    return !LoggedAndRefused("DeleteFile " + NameOf(path), Call::Delete, NameOf(path)) && DeleteFileW(path);
}
VOID WINAPI RecordSleep(DWORD milliseconds) { gCallLog.push_back("Sleep " + std::to_string(milliseconds)); }

}  // namespace

void ResetRecordedCalls() {
    gCallLog.clear();
    gRefusals.clear();
    gMeanwhile.clear();
    gNames.clear();
}

void Refuse(Call call, const std::string& fileName, OsError error, int count, std::size_t partBytes) {
    gRefusals[{call, fileName}] = {error, count, partBytes};
}

void Meanwhile(Call call, const std::string& fileName, void (*action)()) { gMeanwhile[{call, fileName}] = action; }

// Looking at a file, or moving within it, changes nothing: those calls go straight through.
const FileCalls kRecordedCalls = {
    &::GetFileAttributesW, &::GetFileAttributesExW, &RecordCreateFile,   &::GetFileSizeEx,        &RecordReadFile,
    &RecordWriteFile,      &::SetFilePointer,       &RecordSetEndOfFile, &RecordFlushFileBuffers, &RecordCloseHandle,
    &RecordMoveFileEx,     &RecordDeleteFile,       &RecordSleep,
};

}  // namespace zvk::test_support
