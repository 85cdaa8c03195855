// Reading the preset in place on a thread of its own: see preset_in_place.h.
#include "preset_in_place.h"

#include "camera_file.h"
#include "game_folder_search.h"

#include <cstdlib>
#include <new>

namespace zvk {
namespace {

// What a read is to do; the thread that does it owns it.
struct Read {
    HWND window;
    WPARAM number;
    bool lookAgain;
    PathText gameFolder;
};

// A scanner may hold the camera file longer than the core waits for a hold (about 1.3 s a read):
// nothing waits on this thread, so it reads again, for about half a minute in all, rather than
// show no preset pressed in for a file that is one.
constexpr int kMostReadsOfAHeldFile = 20;
constexpr DWORD kPauseBetweenReads = 250;

// The index of the preset the camera file in `gameFolder` holds, or -1.
int PresetInPlace(const PathText& gameFolder) {
    if (gameFolder.empty()) return -1;
    const PathText cameraFile = CameraFileIn(gameFolder);
    for (int read = 1;; ++read) {
        const CameraFileContent content = ReadCameraFile(kSystemFileCalls, cameraFile.c_str());
        const bool held = content.kind == CameraFileContent::Unreadable &&
                          (content.osError == ERROR_SHARING_VIOLATION || content.osError == ERROR_LOCK_VIOLATION);
        if (!held || read == kMostReadsOfAHeldFile)
            return content.kind == CameraFileContent::Preset ? int(content.preset) : -1;
        Sleep(kPauseBetweenReads);
    }
}

DWORD WINAPI ReadAndAnswer(void* parameter) {
    Read* read = static_cast<Read*>(parameter);
    const PathText gameFolder = read->lookAgain ? LookForGameFolder().found.path : read->gameFolder;
    // A window closed meanwhile takes no message: nothing is left to tell.
    PostMessageW(read->window, PresetInPlaceReader::kAnswer, read->number, LPARAM(PresetInPlace(gameFolder)));
    read->~Read();
    std::free(read);
    return 0;
}

}  // namespace

void PresetInPlaceReader::Start(HWND window, const PathText& gameFolder, bool lookAgain) {
    void* memory = std::malloc(sizeof(Read));
    if (memory == nullptr) return;
    Read* read = new (memory) Read{window, ++latest_, lookAgain, gameFolder};
    const HANDLE thread = CreateThread(nullptr, 0, &ReadAndAnswer, read, 0, nullptr);
    if (thread == nullptr) {
        ReadAndAnswer(read);  // without a thread of its own: here and now, late rather than never
        return;
    }
    CloseHandle(thread);
}

}  // namespace zvk
