#include "file_replace.h"

#include <cerrno>
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

ReplaceResult Failure(ReplaceStep step, int osError) {
    return {step, static_cast<OsError>(osError != 0 ? osError : EIO)};
}

// The temporary file while it is being written: closed, and unlinked unless it took the
// target's place, whichever way the replace ends.
class TemporaryFile {
public:
    TemporaryFile(const FileCalls& calls, const char* path)
        // O_TRUNC also reuses a file left behind by a run that was killed half-way.
        : calls_(calls), path_(path),
          fd_(calls.open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { discard(); }

    bool created() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return calls_.close(fd) == 0;
    }
    void markMoved() { created_ = false; }

    // Ends with `result`: the file closed and unlinked, and said so where it could not be.
    ReplaceResult discarding(ReplaceResult result) {
        result.temporaryLeft = !discard();
        return result;
    }

private:
    bool discard() {
        if (fd_ >= 0) close();
        if (!created_) return true;
        created_ = false;
        return calls_.unlink(path_) == 0 || errno == ENOENT;
    }

    const FileCalls& calls_;
    const char* path_;
    int fd_;
    bool created_ = fd_ >= 0;
};

bool WriteAll(const FileCalls& calls, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = calls.write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

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

PathKind KindOf(const FileCalls& calls, const char* path) {
    struct stat status {};
    if (calls.stat(path, &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unknown;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}

FileReader::FileReader(const FileCalls& calls, const char* path)
    : calls_(calls), handle_(calls.open(path, O_RDONLY | O_CLOEXEC, 0)) {
    if (handle_ < 0) error_ = OsError(errno != 0 ? errno : EIO);
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
            error_ = OsError(errno != 0 ? errno : EIO);
            return false;
        }
        if (read == 0) break;
        got += std::size_t(read);
    }
    return true;
}

// rename() replaces a file whatever its permission bits; a file nobody may write is the
// POSIX form of a read-only file.
ReplaceResult CheckReplaceable(const FileCalls& calls, const char* target) {
    struct stat status {};
    if (calls.stat(target, &status) != 0) return {};  // absent (or unreachable: creating will say)
    if (S_ISREG(status.st_mode) && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Failure(ReplaceStep::CheckTarget, EACCES);
    return {};
}

ReplaceResult ReplaceFileContents(const FileCalls& calls, const char* target, const char* temporary,
                                  std::initializer_list<std::string_view> chunks) {
    const ReplaceResult replaceable = CheckReplaceable(calls, target);
    if (!replaceable.succeeded()) return replaceable;

    TemporaryFile file(calls, temporary);
    if (!file.created()) return Failure(ReplaceStep::CreateTemporary, errno);
    for (std::string_view chunk : chunks) {
        if (!WriteAll(calls, file.fd(), chunk)) return file.discarding(Failure(ReplaceStep::Write, errno));
    }
    if (calls.fsync(file.fd()) != 0) return file.discarding(Failure(ReplaceStep::Flush, errno));
    if (!file.close()) return file.discarding(Failure(ReplaceStep::Close, errno));
    if (calls.rename(temporary, target) != 0) return file.discarding(Failure(ReplaceStep::Replace, errno));
    file.markMoved();
    SyncFolderOf(calls, target);
    return {};
}

ReplaceResult KeepCopy(const FileCalls& calls, const char* source, const char* temporary, const char* copy) {
    FileReader reader(calls, source);
    if (!reader.isOpen()) return Failure(ReplaceStep::KeepOwnFile, int(reader.error()));
    TemporaryFile file(calls, temporary);
    if (!file.created()) return Failure(ReplaceStep::KeepOwnFile, errno);
    char buffer[16 * 1024];
    for (std::size_t got = sizeof buffer; got == sizeof buffer;) {
        if (!reader.read(buffer, sizeof buffer, got))
            return file.discarding(Failure(ReplaceStep::KeepOwnFile, int(reader.error())));
        if (!WriteAll(calls, file.fd(), std::string_view(buffer, got)))
            return file.discarding(Failure(ReplaceStep::KeepOwnFile, errno));
    }
    if (calls.fsync(file.fd()) != 0) return file.discarding(Failure(ReplaceStep::KeepOwnFile, errno));
    if (!file.close()) return file.discarding(Failure(ReplaceStep::KeepOwnFile, errno));
    // link() gives the file its new name only where the name is free, and never replaces.
    if (calls.link(temporary, copy) != 0) return file.discarding(Failure(ReplaceStep::KeepOwnFile, errno));
    SyncFolderOf(calls, copy);
    // The copy has its name; the temporary name is one link too many, and goes as usual.
    return file.discarding({});
}

}  // namespace zvk
