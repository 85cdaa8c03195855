#include "file_replace.h"

#include <cstdlib>

namespace zvk {

WholeFile::WholeFile(const FileCalls& calls, const PathChar* path) {
    FileReader reader(calls, path);
    if (!reader.isOpen()) {
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
    if (!file.isOpen()) return {ReplaceStep::CreateTemporary, LastOsError()};
    for (std::string_view chunk : chunks) {
        if (!file.write(chunk)) return file.discarding({ReplaceStep::Write, LastOsError()});
    }
    if (!file.flush()) return file.discarding({ReplaceStep::Flush, LastOsError()});
    if (!file.close()) return file.discarding({ReplaceStep::Close, LastOsError()});
    return PutInPlace(calls, file, target, chunks);
}

ReplaceResult KeepCopy(const FileCalls& calls, const PathChar* source, const PathChar* temporary,
                       const PathChar* copy) {
    FileReader reader(calls, source);
    if (!reader.isOpen()) return {ReplaceStep::KeepOwnFile, reader.error()};
    TemporaryFile file(calls, temporary);
    if (!file.isOpen()) return {ReplaceStep::KeepOwnFile, LastOsError()};
    char buffer[16 * 1024];
    for (std::size_t got = sizeof buffer; got == sizeof buffer;) {
        if (!reader.read(buffer, sizeof buffer, got)) return file.discarding({ReplaceStep::KeepOwnFile, reader.error()});
        if (!file.write(std::string_view(buffer, got))) return file.discarding({ReplaceStep::KeepOwnFile, LastOsError()});
    }
    if (!file.flush() || !file.close() || !file.moveToFreeName(copy))
        return file.discarding({ReplaceStep::KeepOwnFile, LastOsError()});
    return {};
}

}  // namespace zvk
