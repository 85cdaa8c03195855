// The player's camera files kept in a game folder, newest first, for the window menu.
#pragma once

#include "file_calls.h"
#include "file_replace.h"
#include "path_text.h"

namespace zvk {

struct KeptFile {
    unsigned number;   // as in BackupIn
    FileTime written;  // when it was kept
};

struct KeptFileList {
    static constexpr unsigned kMostListed = 9;  // one access key each, 1 to 9

    KeptFile files[kMostListed] = {};
    unsigned count = 0;
};

// The newest kMostListed of the backups in `gameFolder`, newest first; of two written at the
// same moment, the later number first. Empty where there are none, or no game folder.
KeptFileList ListKeptFiles(const FileCalls& calls, const PathText& gameFolder);

}  // namespace zvk
