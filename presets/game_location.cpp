#include "game_location.h"

#include "camera_file.h"
#include "file_replace.h"

namespace zvk {
namespace {

PathChar FoldCase(PathChar c) {
#ifdef _WIN32
    return c >= L'a' && c <= L'z' ? PathChar(c - L'a' + L'A') : c == L'/' ? L'\\' : c;
#else
    return c;
#endif
}

}  // namespace

bool IsInsideFolder(PathView path, PathView folder) {
    while (!folder.empty() && FoldCase(folder.back()) == kPathSeparator) folder.remove_suffix(1);
    if (folder.empty() || path.size() < folder.size()) return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (FoldCase(path[i]) != FoldCase(folder[i])) return false;
    }
    return path.size() == folder.size() || FoldCase(path[folder.size()]) == kPathSeparator;
}

GameFolder ChooseGameFolder(const GameFolderSearch& search, GameSigns (*signsIn)(const PathText& folder)) {
    const auto signsOf = [&](const PathText& folder) { return folder.empty() ? GameSigns::None : signsIn(folder); };
    const GameSigns working = signsOf(search.workingFolder);
    const GameSigns program = signsOf(search.programFolder);
    GameFolder found;
    if (working != GameSigns::None && working >= program) {
        found.place = GameFolder::WorkingFolder;
        found.path = search.workingFolder;
    } else if (program != GameSigns::None) {
        found.place = GameFolder::ProgramFolder;
        found.path = search.programFolder;
    } else {
        found.programInTemp = IsInsideFolder(search.programFolder.view(), search.tempFolder.view());
        found.pathTooLong = search.workingFolder.tooLong() || search.programFolder.tooLong();
    }
    return found;
}

GameSigns GameSignsIn(const PathText& folder) {
    PathText cars = folder;
    cars.join(PathView()).appendAscii("Cars");
    if (KindOf(kSystemFileCalls, cars.c_str()) != PathKind::Folder) return GameSigns::None;
    return KindOf(kSystemFileCalls, CameraFileIn(folder).c_str()) == PathKind::Missing ? GameSigns::CarsFolder
                                                                                       : GameSigns::CameraFile;
}

}  // namespace zvk
