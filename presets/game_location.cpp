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
    if (working >= GameSigns::CarsFolder && working >= program) {
        found.place = GameFolder::WorkingFolder;
        found.path = search.workingFolder;
    } else if (program >= GameSigns::CarsFolder) {
        found.place = GameFolder::ProgramFolder;
        found.path = search.programFolder;
    } else {
        found.programInTemp = IsInsideFolder(search.programFolder.view(), search.tempFolder.view());
        found.pathTooLong = search.workingFolder.tooLong() || search.programFolder.tooLong();
        if (working == GameSigns::CarsIsAFile) {
            found.carsIsAFileIn = search.workingFolder;
        } else if (program == GameSigns::CarsIsAFile) {
            found.carsIsAFileIn = search.programFolder;
        }
    }
    return found;
}

void LookAgain(GameFolder& found, GameSigns (*signsIn)(const PathText& folder)) {
    if (found.place == GameFolder::NotFound) return;
    const GameSigns signs = signsIn(found.path);
    found.gone = signs < GameSigns::CarsFolder && signs != GameSigns::CannotTell;
    found.carsIsAFileIn = signs == GameSigns::CarsIsAFile ? found.path : PathText();
}

PathText InPlainForm(const PathText& given) {
#ifdef _WIN32
    PathView path = given.view();
    const bool longForm = path.size() > 4 && path[0] == L'\\' && path[1] == L'\\' &&
                          (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
    if (longForm) path.remove_prefix(4);
    if (IsInsideFolder(path, L"UNC")) {  // "UNC\server\share", in any letter case
        path.remove_prefix(3);
        return PathText(L"\\").append(path);
    }
    return longForm && path.size() > 1 && path[1] == L':' ? PathText(path) : given;
#else
    return given;
#endif
}

GameSigns GameSignsIn(const PathText& folder) {
    PathText cars = folder;
    cars.join(PathView()).appendAscii("Cars");
    switch (KindOf(kSystemFileCalls, cars.c_str())) {
        case PathKind::Folder:
            break;
        case PathKind::File:
            return GameSigns::CarsIsAFile;
        case PathKind::Missing:
            return GameSigns::None;
        case PathKind::Unknown:
            return GameSigns::CannotTell;
    }
    return KindOf(kSystemFileCalls, CameraFileIn(folder).c_str()) == PathKind::Missing ? GameSigns::CarsFolder
                                                                                       : GameSigns::CameraFile;
}

}  // namespace zvk
