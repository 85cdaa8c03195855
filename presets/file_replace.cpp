#include "file_replace.h"

#include <cstdlib>
#include <utility>

namespace zvk {

WholeFile::WholeFile(const FileCalls& calls, const PathChar* path) {
    FileReader reader(calls, path);
    if (!reader.noErrorYet()) {
        error_ = reader.error();
        return;
    }
    for (std::size_t room = 16 * 1024;; room *= 2) {
        char* grown = static_cast<char*>(std::realloc(bytes_, room));
        if (grown == nullptr) {
            error_ = kOutOfMemory;
            return;
        }
        bytes_ = grown;
        std::size_t got = 0;
        if (!reader.read(bytes_ + size_, room - size_, got)) {
            error_ = reader.error();
            return;
        }
        size_ += got;
        if (size_ < room) return;
    }
}

WholeFile::~WholeFile() { std::free(bytes_); }

void WholeFile::swap(WholeFile& other) noexcept {
    std::swap(bytes_, other.bytes_);
    std::swap(size_, other.size_);
    std::swap(error_, other.error_);
}

bool WrittenMomentsAgo(const FileCalls& calls, const PathChar* path) {
    // Longer than another copy takes from creating its temporary file to moving it into place,
    // pauses for held files included; either way round, for a clock a little off.
    constexpr FileTime kMoments = 30 * kFileTimePerSecond;
    FileTime written = 0;
    if (!LastWritten(calls, path, written)) return false;
    const FileTime now = Now();
    return written + kMoments > now && written < now + kMoments;
}

namespace {

// Whether `target` still holds what it held when it was read: success, or why not.
ReplaceResult CheckStillAsRead(const FileCalls& calls, const PathChar* target, const AsRead& asRead) {
    const ReplaceResult changed(InstallStep::Replace, kChangedMeanwhile);
    const PathKind kind = KindOf(calls, target);
    if (kind == PathKind::Missing) return asRead.existed ? changed : ReplaceResult();
    if (!asRead.existed || kind == PathKind::Folder) return changed;
    const WholeFile now(calls, target);
    if (!now.isRead() && IsMissing(now.error())) return changed;  // gone since it was looked at
    if (!now.isRead()) return {InstallStep::ReadCameraFile, now.error(), StepFile::CameraFile};
    return now.bytes() == asRead.bytes ? ReplaceResult() : changed;
}

}  // namespace

ReplaceResult ReplaceFileContents(const FileCalls& calls, const PathChar* target, const PathChar* temporary,
                                  std::initializer_list<std::string_view> chunks, const AsRead* asRead) {
    const ReplaceResult replaceable = CheckReplaceable(calls, target);
    if (!replaceable.succeeded()) return replaceable;
    TemporaryFile file(calls, temporary);
    if (!file.isOpen()) return {InstallStep::CreateTemporary, LastOsError()};
    for (std::string_view chunk : chunks) {
        if (!file.write(chunk)) return file.discarding({InstallStep::Write, LastOsError()});
    }
    if (!file.flush()) return file.discarding({InstallStep::Flush, LastOsError()});
    if (!file.close()) return file.discarding({InstallStep::Close, LastOsError()});
    // As late as can be: between the read and this moment another copy of the program, the
    // game or an editor may have put a file there that nobody has kept.
    if (asRead != nullptr) {
        const ReplaceResult unchanged = CheckStillAsRead(calls, target, *asRead);
        if (!unchanged.succeeded()) return file.discarding(unchanged);
    }
    return PutInPlace(calls, file, target, chunks);
}

ReplaceResult KeepCopy(const FileCalls& calls, std::string_view bytes, const PathChar* temporary,
                       const PathChar* copy) {
    TemporaryFile file(calls, temporary);
    if (!file.isOpen()) return {InstallStep::CreateTemporary, LastOsError()};
    if (!file.write(bytes) || !file.flush() || !file.close() || !file.moveToFreeName(copy))
        return file.discarding({InstallStep::KeepOwnFile, LastOsError()});
    return {};
}

}  // namespace zvk
