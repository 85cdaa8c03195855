// Where the program finds the game however it was started: in real folders, as the player's.
#include "game_location.h"

#include "game_folder.h"

namespace zvk {
namespace {

using test_support::GameFolderTest;
namespace fs = std::filesystem;

TEST_F(GameFolderTest, TheWorkingFolderFirstThenTheProgramsOwn) {
    for (const char* folder : {"game/Cars", "other-game/Cars", "temp/Temp1_ZvkCameraMode.zip", "elsewhere",
                               "cars-is-a-file", "lower-case/cars"})
        fs::create_directories(folder);
    test_support::WriteBytes("cars-is-a-file/Cars", "not a folder");
    test_support::WriteBytes("game/Cars/Cameras.ini", "[master]\r\n");
    struct Case {
        const char* working;
        const char* program;
        GameFolder::Place place;
        bool programInTemp;
    };
    const Case cases[] = {
        {"game", "other-game", GameFolder::WorkingFolder, false},
        {"other-game", "game", GameFolder::ProgramFolder, false},  // a Cars folder without the camera file
        {"elsewhere", "game", GameFolder::ProgramFolder, false},
        {"cars-is-a-file", "game", GameFolder::ProgramFolder, false},
        {"elsewhere", "cars-is-a-file", GameFolder::NotFound, false},
        {"elsewhere", "temp/Temp1_ZvkCameraMode.zip", GameFolder::NotFound, true},
        {"elsewhere", "temp-not", GameFolder::NotFound, false},  // beside the temp folder, not in it
#ifdef _WIN32
        {"lower-case", "other-game", GameFolder::WorkingFolder, false},  // Windows matches names in any case
#endif
    };
    const auto absolute = [&](const char* name) { return PathText((root() / name).make_preferred().native()); };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.working) + ", " + c.program);
        const GameFolderSearch search{absolute(c.working), absolute(c.program), absolute("temp")};
        const GameFolder found = ChooseGameFolder(search, &GameSignsIn);
        EXPECT_EQ(found.place, c.place);
        EXPECT_EQ(found.programInTemp, c.programInTemp);
        EXPECT_TRUE(found.path.view() == (c.place == GameFolder::WorkingFolder   ? search.workingFolder.view()
                                          : c.place == GameFolder::ProgramFolder ? search.programFolder.view()
                                                                                 : PathView()));
    }
}

}  // namespace
}  // namespace zvk
