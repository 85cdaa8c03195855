// The Windows file replace, with the system calls it makes gathered in one table, so that a
// test can see every call and make any of them fail.
#pragma once

#include "file_replace.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace zvk {

struct Win32FileCalls {
    decltype(&::GetFileAttributesW) getFileAttributes;
    decltype(&::CreateFileW) createFile;
    decltype(&::ReadFile) readFile;
    decltype(&::WriteFile) writeFile;
    decltype(&::SetFilePointer) setFilePointer;
    decltype(&::SetEndOfFile) setEndOfFile;
    decltype(&::FlushFileBuffers) flushFileBuffers;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::MoveFileExW) moveFileEx;
    decltype(&::DeleteFileW) deleteFile;
};

// The real functions: what the program uses.
extern const Win32FileCalls kSystemFileCalls;

// ReplaceFileContents, making its system calls through `calls`.
ReplaceResult ReplaceFileContents(const Win32FileCalls& calls, const wchar_t* target,
                                  const wchar_t* temporary,
                                  std::initializer_list<std::string_view> chunks,
                                  const InjectedFault* fault = nullptr);

}  // namespace zvk
