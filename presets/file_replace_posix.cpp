#include "file_replace.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace zvk {
namespace {

// open() takes its mode through "...", which a table's plain function pointer cannot.
int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

}  // namespace

const FileCalls kSystemFileCalls = {
    &OpenFile, &::read, &::write, &::fsync, &::close, &::rename, &::link, &::unlink, &::stat,
};

namespace {

// Makes a rename or link itself durable. The new name is already in place and visible by
// then, and nothing could undo it, so a failure here is not reported.
void SyncFolderOf(const FileCalls& calls, const char* path) {
    std::string folder(path);
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return;
    calls.fsync(fd);
    calls.close(fd);
}

}  // namespace

OsError LastOsError() { return OsError(errno != 0 ? errno : EIO); }

FileTime Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTime(now.tv_sec) * 1000000000u + FileTime(now.tv_nsec);
}

bool SystemTakes(const PathText& path) { return !path.tooLong() && path.view().size() < PATH_MAX; }

PathKind KindOf(const FileCalls& calls, const char* path) {
    struct stat status {};
    if (calls.stat(path, &status) != 0) return IsMissing(OsError(errno)) ? PathKind::Missing : PathKind::Unknown;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}

bool LastWritten(const FileCalls& calls, const char* path, FileTime& written) {
    struct stat status {};
    if (calls.stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return false;
    written = FileTime(status.st_mtim.tv_sec) * 1000000000u + FileTime(status.st_mtim.tv_nsec);
    return true;
}

FileReader::FileReader(const FileCalls& calls, const char* path)
    : calls_(calls), handle_(calls.open(path, O_RDONLY | O_CLOEXEC, 0)) {
    if (handle_ < 0) error_ = LastOsError();
}

FileReader::~FileReader() {
    if (handle_ >= 0) calls_.close(int(handle_));
}

bool FileReader::read(char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t read = calls_.read(int(handle_), buffer + got, size - got);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) {
            error_ = LastOsError();
            return false;
        }
        if (read == 0) break;
        got += std::size_t(read);
    }
    return true;
}

OsError RemoveFileIfThere(const FileCalls& calls, const char* path) {
    return calls.unlink(path) == 0 || errno == ENOENT ? 0 : LastOsError();
}

namespace {

// A file by this name, left by a run killed half-way, may still be a second name of the
// backup it was making (see moveToFreeName): opened as it is, it would write into the backup.
// So it goes first, and the file opened is always a new one. One written moments ago is
// another copy's, closed and not yet moved into place, perhaps: it stays, and the name counts
// as taken.
int CreateNew(const FileCalls& calls, const char* path) {
    if (WrittenMomentsAgo(calls, path)) {
        errno = EEXIST;
        return -1;
    }
    if (const OsError error = RemoveFileIfThere(calls, path); error != 0) {
        errno = int(error);
        return -1;
    }
    return calls.open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

}  // namespace

TemporaryFile::TemporaryFile(const FileCalls& calls, const char* path)
    : calls_(calls), path_(path), handle_(CreateNew(calls, path)), created_(handle_ >= 0) {}

bool TemporaryFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = calls_.write(int(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool TemporaryFile::flush() { return calls_.fsync(int(handle_)) == 0; }

bool TemporaryFile::close() {
    const int fd = int(handle_);
    handle_ = -1;
    return calls_.close(fd) == 0;
}

// link() gives the file its new name only where the name is free. The temporary name is then
// one name too many, and must go: while it stays, writing through it would change the file
// under its new name too. So a failure to remove it is a failure of the move.
bool TemporaryFile::moveToFreeName(const char* name) {
    if (calls_.link(path_, name) != 0) return false;
    SyncFolderOf(calls_, name);
    if (calls_.unlink(path_) != 0) return false;
    markMoved();
    return true;
}

bool TemporaryFile::discard() {
    if (isOpen()) close();
    if (!created_) return true;
    created_ = false;
    return RemoveFileIfThere(calls_, path_) == 0;
}

// rename() replaces a file whatever its permission bits; a file nobody may write is the
// POSIX form of a read-only file.
ReplaceResult CheckReplaceable(const FileCalls& calls, const char* target) {
    struct stat status {};
    if (calls.stat(target, &status) != 0) return {};  // absent (or unreachable: creating will say)
    if (S_ISDIR(status.st_mode)) return {InstallStep::CheckTarget, kIsAFolder};
    if (S_ISREG(status.st_mode) && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return {InstallStep::CheckTarget, EACCES};
    return {};
}

ReplaceResult PutInPlace(const FileCalls& calls, TemporaryFile& file, const char* target,
                         std::initializer_list<std::string_view>) {
    if (calls.rename(file.path(), target) != 0) return file.discarding({InstallStep::Replace, LastOsError()});
    file.markMoved();
    SyncFolderOf(calls, target);
    return {};
}

}  // namespace zvk
