#include "file_replace.h"

#include <cstdlib>

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

ReplaceResult ReplaceFileContents(const FileCalls& calls, const PathChar* target, const PathChar* temporary,
                                  std::initializer_list<std::string_view> chunks) {
    const ReplaceResult replaceable = CheckReplaceable(calls, target);
    if (!replaceable.succeeded()) return replaceable;
    TemporaryFile file(calls, temporary);
    if (!file.isOpen()) return {InstallStep::CreateTemporary, LastOsError()};
    for (std::string_view chunk : chunks) {
        if (!file.write(chunk)) return file.discarding({InstallStep::Write, LastOsError()});
    }
    if (!file.flush()) return file.discarding({InstallStep::Flush, LastOsError()});
    if (!file.close()) return file.discarding({InstallStep::Close, LastOsError()});
    return PutInPlace(calls, file, target, chunks);
}

ReplaceResult KeepCopy(const FileCalls& calls, const PathChar* source, const PathChar* temporary,
                       const PathChar* copy) {
    // A failure to read is the source's; any other, the temporary file's.
    const auto unreadable = [](const FileReader& reader) {
        return ReplaceResult(InstallStep::KeepOwnFile, reader.error(), StepFile::CameraFile);
    };
    FileReader reader(calls, source);
    if (!reader.noErrorYet()) return unreadable(reader);
    TemporaryFile file(calls, temporary);
    if (!file.isOpen()) return {InstallStep::KeepOwnFile, LastOsError()};
    char buffer[16 * 1024];
    for (std::size_t got = sizeof buffer; got == sizeof buffer;) {
        if (!reader.read(buffer, sizeof buffer, got)) return file.discarding(unreadable(reader));
        if (!file.write(std::string_view(buffer, got))) return file.discarding({InstallStep::KeepOwnFile, LastOsError()});
    }
    if (!file.flush() || !file.close() || !file.moveToFreeName(copy))
        return file.discarding({InstallStep::KeepOwnFile, LastOsError()});
    return {};
}

}  // namespace zvk
