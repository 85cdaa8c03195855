// Listing the kept files of a game folder: see kept_files.h.
#include "kept_files.h"

#include "camera_file.h"

#include <algorithm>

namespace zvk {

KeptFileList ListKeptFiles(const FileCalls& calls, const PathText& gameFolder) {
    KeptFileList list;
    if (gameFolder.empty()) return list;
    KeptFile kept[kMostBackups];
    unsigned found = 0;
    for (unsigned number = 1; number <= kMostBackups; ++number) {
        if (LastWritten(calls, BackupIn(gameFolder, number).c_str(), kept[found].written))
            kept[found++].number = number;
    }
    std::sort(kept, kept + found, [](const KeptFile& a, const KeptFile& b) {
        return a.written != b.written ? a.written > b.written : a.number > b.number;
    });
    list.count = std::min(found, KeptFileList::kMostListed);
    std::copy(kept, kept + list.count, list.files);
    return list;
}

}  // namespace zvk
