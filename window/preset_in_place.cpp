// Reading the preset in place by the window's timer: see preset_in_place.h.
#include "preset_in_place.h"

#include "camera_file.h"
#include "game_folder_search.h"

namespace zvk {
namespace {

// The first read comes after the window's first paint (a timer's message comes only once no
// painting is pending); a held file is read again every quarter of a second, for half a
// minute at most.
constexpr UINT kFirstRead = USER_TIMER_MINIMUM;
constexpr UINT kBetweenReads = 250;
constexpr int kMostReads = 120;

VOID WINAPI NoPause(DWORD) {}

// The system's file calls, with no pause between the tries at a held file: the window's thread
// must not sleep, and its timer tries again later.
FileCalls CallsThatNeverPause() {
    FileCalls calls = kSystemFileCalls;
    calls.sleep = &NoPause;
    return calls;
}

}  // namespace

void PresetInPlaceReader::Start(HWND window, const PathText& gameFolder, bool lookAgain) {
    window_ = window;
    gameFolder_ = gameFolder;
    lookAgain_ = lookAgain;
    readsLeft_ = kMostReads;
    SetTimer(window_, kTimer, kFirstRead, nullptr);
}

void PresetInPlaceReader::Stop() {
    readsLeft_ = 0;
    if (window_ != nullptr) KillTimer(window_, kTimer);
}

int PresetInPlaceReader::OnTimer() {
    if (readsLeft_ == 0) {
        Stop();
        return kNotYet;
    }
    if (lookAgain_) {
        gameFolder_ = LookForGameFolder().found.path;
        lookAgain_ = false;
    }
    if (gameFolder_.empty()) {
        Stop();
        return -1;
    }
    static const FileCalls kCalls = CallsThatNeverPause();
    const CameraFileContent content = ReadCameraFile(kCalls, CameraFileIn(gameFolder_).c_str());
    const bool held = content.kind == CameraFileContent::Unreadable &&
                      (content.osError == ERROR_SHARING_VIOLATION || content.osError == ERROR_LOCK_VIOLATION);
    if (held && --readsLeft_ > 0) {
        SetTimer(window_, kTimer, kBetweenReads, nullptr);
        return kNotYet;
    }
    Stop();
    return content.kind == CameraFileContent::Preset ? int(content.preset) : -1;
}

}  // namespace zvk
