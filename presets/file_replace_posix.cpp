#include "file_replace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zvk {
namespace {

ReplaceResult Failure(ReplaceStep step, int osError) {
    return {step, static_cast<std::uint32_t>(osError)};
}

bool IsInjected(const InjectedFault* fault, ReplaceStep step) {
    return fault != nullptr && fault->step == step;
}

// The temporary file while it is being written: closed, and unlinked unless it took the
// target's place, whichever way the replace ends.
class TemporaryFile {
public:
    explicit TemporaryFile(const char* path)
        // O_TRUNC also reuses a file left behind by a run that was killed half-way.
        : path_(path), fd_(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!moved_ && created_) ::unlink(path_);
    }

    bool created() const { return created_; }
    int fd() const { return fd_; }

    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void markMoved() { moved_ = true; }

private:
    const char* path_;
    int fd_;
    bool created_ = fd_ >= 0;
    bool moved_ = false;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// rename() replaces a file whatever its permission bits; a file nobody may write is the
// POSIX form of a read-only file, and the player meant it to stay as it is.
int TargetRefusal(const char* target) {
    struct stat status {};
    if (::stat(target, &status) != 0) return 0;  // absent (or unreachable: creating will say)
    if (S_ISREG(status.st_mode) && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return EACCES;
    return 0;
}

// Makes the rename itself durable. The new content is already in place and visible by then,
// and nothing could undo the rename, so a failure here is not reported.
void SyncFolderOf(const char* path) {
    std::string folder(path);
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

ReplaceResult ReplaceFileContents(const char* target, const char* temporary,
                                  std::initializer_list<std::string_view> chunks,
                                  const InjectedFault* fault) {
    const int refusal = IsInjected(fault, ReplaceStep::CheckTarget) ? int(fault->osError)
                                                                    : TargetRefusal(target);
    if (refusal != 0) return Failure(ReplaceStep::CheckTarget, refusal);

    TemporaryFile file(temporary);
    if (!file.created()) return Failure(ReplaceStep::CreateTemporary, errno);
    if (IsInjected(fault, ReplaceStep::CreateTemporary))
        return Failure(ReplaceStep::CreateTemporary, int(fault->osError));

    for (std::string_view chunk : chunks) {
        if (!WriteAll(file.fd(), chunk)) return Failure(ReplaceStep::Write, errno);
    }
    if (IsInjected(fault, ReplaceStep::Write)) return Failure(ReplaceStep::Write, int(fault->osError));

    if (::fsync(file.fd()) != 0) return Failure(ReplaceStep::Flush, errno);
    if (IsInjected(fault, ReplaceStep::Flush)) return Failure(ReplaceStep::Flush, int(fault->osError));

    if (!file.close()) return Failure(ReplaceStep::Close, errno);
    if (IsInjected(fault, ReplaceStep::Close)) return Failure(ReplaceStep::Close, int(fault->osError));

    if (IsInjected(fault, ReplaceStep::Replace))
        return Failure(ReplaceStep::Replace, int(fault->osError));
    if (::rename(temporary, target) != 0) return Failure(ReplaceStep::Replace, errno);
    file.markMoved();
    SyncFolderOf(target);
    return {};
}

}  // namespace zvk
