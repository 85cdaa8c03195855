// Which kept files the window menu offers, and in what order, in real folders.
#include "kept_files.h"

#include "game_folder.h"

#include <chrono>
#include <utility>
#include <vector>

namespace zvk {
namespace {

namespace fs = std::filesystem;
using test_support::GameFolderTest;

// Newest first, whatever the numbers and the gaps between them, and nine at most: the oldest
// fall off.
TEST_F(GameFolderTest, KeptFilesAreListedNewestFirstNineAtMost) {
    struct Case {
        const char* name;
        std::vector<std::pair<unsigned, int>> kept;  // the backup's number, and how many minutes ago
        std::vector<unsigned> listed;
    };
    const Case cases[] = {
        {"none kept", {}, {}},
        {"newest first, not by number", {{1, 30}, {2, 10}, {3, 20}}, {2, 3, 1}},
        {"a gap in the numbers", {{1, 5}, {4, 3}, {7, 1}}, {7, 4, 1}},
        {"kept at the same moment: the later number first", {{2, 5}, {5, 5}}, {5, 2}},
        {"the nine newest of twelve",
         {{1, 12}, {2, 11}, {3, 10}, {4, 9}, {5, 8}, {6, 7}, {7, 6}, {8, 5}, {9, 4}, {10, 3}, {11, 2}, {12, 1}},
         {12, 11, 10, 9, 8, 7, 6, 5, 4}},
        {"the last number, the newest", {{99, 1}, {1, 2}}, {99, 1}},
    };
    const PathText gameFolder(root().native());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("Cars");
        fs::create_directory("Cars");
        const auto now = fs::file_time_type::clock::now();
        for (const auto& [number, minutesAgo] : c.kept) {
            const fs::path backup = BackupIn(gameFolder, number).c_str();
            test_support::WriteBytes(backup, "kept");
            fs::last_write_time(backup, now - std::chrono::minutes(minutesAgo));
        }
        fs::create_directory(BackupIn(gameFolder, 50).c_str());  // a folder by that name is no kept file

        const KeptFileList list = ListKeptFiles(kSystemFileCalls, gameFolder);

        std::vector<unsigned> listed;
        for (unsigned i = 0; i < list.count; ++i) listed.push_back(list.files[i].number);
        EXPECT_EQ(listed, c.listed);
    }
}

}  // namespace
}  // namespace zvk
