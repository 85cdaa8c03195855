// Where the game is: the folder that holds its Cars folder, looked for where the program was
// started and where the program itself lies.
#pragma once

#include "file_calls.h"
#include "path_text.h"

#include <cstdint>

namespace zvk {

// The folders the program can tell, absolute and without a trailing separator.
struct GameFolderSearch {
    PathText workingFolder;
    PathText programFolder;  // the folder that holds the running exe
    PathText tempFolder;     // where Windows unpacks a program started from inside a zip
};

struct GameFolder {
    enum Place : std::uint8_t { WorkingFolder, ProgramFolder, NotFound } place = NotFound;
    PathText path;                // the game folder; empty when not found
    bool programInTemp = false;   // not found, and the program runs from the temp folder
};

// The working folder if it holds Cars (launchers that start tools in the game's folder rely
// on it), else the program's own folder if that does, else none.
GameFolder ChooseGameFolder(const GameFolderSearch& search, bool (*holdsCars)(const PathText& folder));

// Whether `folder` holds a folder named Cars, as the file system matches names (on Windows,
// in any letter case).
bool HoldsCarsFolder(const PathText& folder);

}  // namespace zvk
