// The system calls the core makes on files, gathered in one table: the program passes the
// system's own, and a test passes its own to see every call and to make any of them fail.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace zvk {

#ifdef _WIN32
struct FileCalls {
    decltype(&::GetFileAttributesW) getFileAttributes;
    decltype(&::GetFileAttributesExW) getFileAttributesEx;
    decltype(&::CreateFileW) createFile;
    decltype(&::GetFileSizeEx) getFileSize;
    decltype(&::ReadFile) readFile;
    decltype(&::WriteFile) writeFile;
    decltype(&::SetFilePointer) setFilePointer;
    decltype(&::SetEndOfFile) setEndOfFile;
    decltype(&::FlushFileBuffers) flushFileBuffers;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::MoveFileExW) moveFileEx;
    decltype(&::DeleteFileW) deleteFile;
    decltype(&::Sleep) sleep;
};
#else
struct FileCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* bytes, size_t size);
    ssize_t (*write)(int fd, const void* bytes, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*link)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*stat)(const char* path, struct stat* status);
};
#endif

// The real functions: what the program uses.
extern const FileCalls kSystemFileCalls;

}  // namespace zvk
