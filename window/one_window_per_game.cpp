// One window per game folder, through a named object that holds the first window's handle.
#include "one_window_per_game.h"

#include <cstdint>
#include <iterator>

namespace zvk {
namespace {

constexpr int kWaitsForTheWindow = 100;  // of 50 ms each: a window that takes longer is not waited for

// "Local\ZvkCameraMode.<16 hex digits>": one name for the folder however its letters are
// cased, as Windows matches names, and short whatever its length. The Local\ namespace is the
// player's own session.
struct ObjectName {
    explicit ObjectName(const PathText& folder) {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
        wchar_t folded[256];
        for (PathView rest = folder.view(); !rest.empty();) {
            const std::size_t count = rest.size() < std::size(folded) ? rest.size() : std::size(folded);
            for (std::size_t i = 0; i < count; ++i) folded[i] = rest[i];
            CharUpperBuffW(folded, DWORD(count));
            for (std::size_t i = 0; i < count; ++i) hash = (hash ^ std::uint64_t(folded[i])) * 1099511628211ull;
            rest.remove_prefix(count);
        }
        text.appendAscii("Local\\ZvkCameraMode.");
        for (int shift = 60; shift >= 0; shift -= 4) {
            const char digit[] = {"0123456789abcdef"[(hash >> shift) & 0xF], '\0'};
            text.appendAscii(digit);
        }
    }
    PathText text;
};

// The window handle the earlier start published, or null.
HWND PublishedWindow(HANDLE shared) {
    const auto* published = static_cast<const DWORD*>(MapViewOfFile(shared, FILE_MAP_READ, 0, 0, sizeof(DWORD)));
    if (published == nullptr) return nullptr;
    // Window handles hold 32 significant bits, in 32-bit and 64-bit programs alike.
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(*published));
    UnmapViewOfFile(published);
    return IsWindow(window) ? window : nullptr;
}

}  // namespace

GameFolderClaim::GameFolderClaim(const PathText& gameFolder) {
    if (gameFolder.empty()) return;
    shared_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                 ObjectName(gameFolder).text.c_str());
    heldByAnother_ = shared_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

GameFolderClaim::~GameFolderClaim() {
    if (shared_ != nullptr) CloseHandle(shared_);
}

void GameFolderClaim::Publish(HWND window) const {
    if (shared_ == nullptr || heldByAnother_) return;
    auto* published = static_cast<DWORD*>(MapViewOfFile(shared_, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    if (published == nullptr) return;
    *published = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(window));
    UnmapViewOfFile(published);
}

// Without waiting on the window's thread, which may be pausing for a held file.
void GameFolderClaim::BringTheOtherWindowForward() const {
    HWND window = nullptr;
    for (int wait = 0; wait < kWaitsForTheWindow && (window = PublishedWindow(shared_)) == nullptr; ++wait) Sleep(50);
    if (window == nullptr) return;
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace zvk
