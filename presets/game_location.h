// Where the game is: the folder that holds its Cars folder, looked for where the program was
// started and where the program itself lies.
#pragma once

#include "file_calls.h"
#include "path_text.h"

#include <cstdint>

namespace zvk {

// The folders the program can tell, absolute and without a trailing separator; one whose path
// is too long to hold is PathText::tooLong().
struct GameFolderSearch {
    PathText workingFolder;
    PathText programFolder;  // the folder that holds the running exe
    PathText tempFolder;     // where Windows unpacks a program started from inside a zip
};

struct GameFolder {
    enum Place : std::uint8_t { WorkingFolder, ProgramFolder, NotFound } place = NotFound;
    PathText path;               // the game folder; empty when not found
    bool programInTemp = false;  // not found, and the program runs from the temp folder
    bool pathTooLong = false;    // not found, and a folder looked in has too long a path to hold
    PathText carsIsAFileIn;      // not found, or gone: this folder holds a file named Cars
    bool gone = false;           // found before, and no Cars folder in it now

    bool holdsTheGame() const { return place != NotFound && !gone; }
};

// How much of the game a folder shows, least first: nothing, or not even whether its Cars
// folder is there (the system could not tell: a share that dropped, say), a file named Cars
// where the game has its Cars folder, a Cars folder, or a Cars folder that holds the camera
// file. A folder is the game's where it shows a Cars folder at least.
enum class GameSigns : std::uint8_t { None, CannotTell, CarsIsAFile, CarsFolder, CameraFile };

// Of the working folder and the program's own, the one that shows more of the game; where
// both show as much, the working folder (launchers that start tools in the game's folder rely
// on it). Neither, where neither holds a Cars folder: then the one that holds a file named
// Cars, if one does. A shell's or another game's Cars folder without a camera file in it does
// not outweigh the game beside the program.
GameFolder ChooseGameFolder(const GameFolderSearch& search, GameSigns (*signsIn)(const PathText& folder));

// Looks at `found`, a game folder found before, again: gone where it holds no Cars folder any
// more, with carsIsAFileIn where a file named Cars stands in its place. Where the system cannot
// tell, it is not gone: the install then meets what the system says, and names it.
void LookAgain(GameFolder& found, GameSigns (*signsIn)(const PathText& folder));

// Whether `path` is `folder` or lies below it, as Windows compares names (ASCII letters in
// any case). Both must be in the same form: full, and long or short alike.
bool IsInsideFolder(PathView path, PathView folder);

// A full path as the system gives it, in the form the player knows it by: on Windows, "\\?\C:\..."
// and "\\.\C:\..." as "C:\...", and a network share's "\\?\UNC\server\share\..." and
// "UNC\server\share\..." (Wine's answer for a program started from a share) as
// "\\server\share\...". The program's file calls give the long form back past MAX_PATH. A path
// too long to hold stays so.
PathText InPlainForm(const PathText& path);

// What `folder` holds of the game, as the file system matches names (on Windows, in any
// letter case).
GameSigns GameSignsIn(const PathText& folder);

}  // namespace zvk
