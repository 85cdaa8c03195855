#include "game_location.h"

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

// Whether `path` is `folder` or lies below it, as Windows compares names (ASCII letters in
// any case; the edge gives both in their long form).
bool IsInside(PathView path, PathView folder) {
    while (!folder.empty() && FoldCase(folder.back()) == kPathSeparator) folder.remove_suffix(1);
    if (folder.empty() || path.size() < folder.size()) return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (FoldCase(path[i]) != FoldCase(folder[i])) return false;
    }
    return path.size() == folder.size() || FoldCase(path[folder.size()]) == kPathSeparator;
}

}  // namespace

GameFolder ChooseGameFolder(const GameFolderSearch& search, bool (*holdsCars)(const PathText& folder)) {
    GameFolder found;
    if (!search.workingFolder.empty() && holdsCars(search.workingFolder)) {
        found.place = GameFolder::WorkingFolder;
        found.path = search.workingFolder;
    } else if (!search.programFolder.empty() && holdsCars(search.programFolder)) {
        found.place = GameFolder::ProgramFolder;
        found.path = search.programFolder;
    } else {
        found.programInTemp = IsInside(search.programFolder.view(), search.tempFolder.view());
    }
    return found;
}

bool HoldsCarsFolder(const PathText& folder) {
    PathText cars = folder;
    cars.join(PathView()).appendAscii("Cars");
    return KindOf(kSystemFileCalls, cars.c_str()) == PathKind::Folder;
}

}  // namespace zvk
