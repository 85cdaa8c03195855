// Listing the kept files of a game folder: see kept_files.h.
#include "kept_files.h"

#include "camera_file.h"

namespace zvk {

namespace {

bool NewerFirst(const KeptFile& a, const KeptFile& b) {
    return a.written != b.written ? a.written > b.written : a.number > b.number;
}

}  // namespace

KeptFileList ListKeptFiles(const FileCalls& calls, const PathText& gameFolder) {
    KeptFileList list;
    if (gameFolder.empty()) return list;
    // Each file found goes in before the first one listed after it: of 99 at most, the nine
    // newest stay. (std::sort would cost the program more than this whole listing.)
    for (unsigned number = 1; number <= kMostBackups; ++number) {
        KeptFile file{number, 0};
        if (!LastWritten(calls, BackupIn(gameFolder, number).c_str(), file.written)) continue;
        unsigned at = list.count;
        while (at > 0 && NewerFirst(file, list.files[at - 1])) --at;
        if (at == KeptFileList::kMostListed) continue;
        if (list.count < KeptFileList::kMostListed) ++list.count;
        for (unsigned i = list.count - 1; i > at; --i) list.files[i] = list.files[i - 1];
        list.files[at] = file;
    }
    return list;
}

}  // namespace zvk
