// Reading the preset in place on a thread of its own: see preset_in_place.h.
#include "preset_in_place.h"

#include "game_folder_search.h"
#include "install_preset.h"

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

DWORD WINAPI ReadAndAnswer(void* parameter) {
    Read* read = static_cast<Read*>(parameter);
    const PathText gameFolder = read->lookAgain ? LookForGameFolder().found.path : read->gameFolder;
    // A window closed meanwhile takes no message: nothing is left to tell.
    PostMessageW(read->window, PresetInPlaceReader::kAnswer, read->number, LPARAM(ActivePreset(gameFolder)));
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
