// One window per game folder, through a named object that holds the first window's handle.
#include "one_window_per_game.h"

#include "elevated_game.h"
#include "file_replace.h"
#include "system_function.h"

#include <cstdint>
#include <iterator>

namespace zvk {
namespace {

constexpr int kWaitsForTheWindow = 100;  // of 50 ms each: a window that takes longer is not waited for

void AppendHex(PathText& name, std::uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        name.appendAscii({&"0123456789abcdef"[(value >> shift) & 0xF], 1});
}

// The folder as the file system knows it, whatever the path it was reached by: its volume's
// serial number (the 32 bits that every call answers alike) and its id there.
struct FolderIdentity {
    std::uint32_t volume = 0;
    std::uint64_t idHigh = 0;
    std::uint64_t idLow = 0;
};

// Windows 8 and later give a folder's 128-bit id, which alone is unique on ReFS (an NTFS id is
// its 64-bit index); older systems, and file systems that answer it with 0, the 64-bit index.
// The folder is opened for no access at all, only to be looked at, in the form the core gives
// the system however deep it is. False where the system gives no id (0).
bool IdentityOf(const PathText& folder, FolderIdentity& identity) {
    const HANDLE handle =
        CreateFileW(InSystemForm(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    struct FileIdInfo {  // FILE_ID_INFO
        ULONGLONG volumeSerialNumber;
        BYTE fileId[16];
    } id{};
    constexpr int kFileIdInfo = 18;  // of FILE_INFO_BY_HANDLE_CLASS, Windows 8 and later
    using GetFileInformationByHandleExFn = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
    const auto getInformationEx = LookUpFunction<GetFileInformationByHandleExFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                                 "GetFileInformationByHandleEx");
    if (getInformationEx != nullptr && getInformationEx(handle, kFileIdInfo, &id, sizeof id)) {
        identity.volume = std::uint32_t(id.volumeSerialNumber);
        for (int i = 0; i < 8; ++i) {
            identity.idLow |= std::uint64_t(id.fileId[i]) << (8 * i);
            identity.idHigh |= std::uint64_t(id.fileId[8 + i]) << (8 * i);
        }
    }
    BY_HANDLE_FILE_INFORMATION file{};
    if (identity.idHigh == 0 && identity.idLow == 0 && GetFileInformationByHandle(handle, &file)) {
        identity.volume = file.dwVolumeSerialNumber;
        identity.idLow = (std::uint64_t(file.nFileIndexHigh) << 32) | file.nFileIndexLow;
    }
    CloseHandle(handle);
    return identity.idHigh != 0 || identity.idLow != 0;
}

// FNV-1a of the path with its letters folded as Windows matches names: one name for the
// folder however its letters are cased, and short whatever its length.
std::uint64_t HashOfPath(const PathText& folder) {
    std::uint64_t hash = 14695981039346656037ull;
    wchar_t folded[256];
    for (PathView rest = folder.view(); !rest.empty();) {
        const std::size_t count = rest.size() < std::size(folded) ? rest.size() : std::size(folded);
        for (std::size_t i = 0; i < count; ++i) folded[i] = rest[i];
        CharUpperBuffW(folded, DWORD(count));
        for (std::size_t i = 0; i < count; ++i) hash = (hash ^ std::uint64_t(folded[i])) * 1099511628211ull;
        rest.remove_prefix(count);
    }
    return hash;
}

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

// "Local\ZvkCameraMode.<volume>.<id>", or "Local\ZvkCameraMode.path.<hash>", and ".elevated"
// past the VirtualStore. The Local\ namespace is the player's own session.
PathText GameFolderClaimName(const PathText& gameFolder, bool pastTheVirtualStore) {
    PathText name;
    if (gameFolder.empty()) return name;
    name.appendAscii("Local\\ZvkCameraMode.");
    FolderIdentity identity;
    if (IdentityOf(gameFolder, identity)) {
        AppendHex(name, identity.volume, 8);
        name.appendAscii(".");
        AppendHex(name, identity.idHigh, 16);
        AppendHex(name, identity.idLow, 16);
    } else {
        name.appendAscii("path.");
        AppendHex(name, HashOfPath(gameFolder), 16);
    }
    if (pastTheVirtualStore) name.appendAscii(".elevated");
    return name;
}

GameFolderClaim::Outcome GameFolderClaim::Claim(const PathText& gameFolder) {
    if (held()) return Outcome::Held;
    LetGo();
    const bool pastTheVirtualStore =
        RunsElevated() && NormalCopiesWriteTheVirtualStoreIn(gameFolder, NormalCopiesOfThisSystem());
    const PathText name = GameFolderClaimName(gameFolder, pastTheVirtualStore);
    if (name.empty()) return Outcome::None;
    shared_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), name.c_str());
    // A claim made by a copy run as administrator is that copy's and the administrators': a
    // normal copy may not open it, nor reach its window.
    if (shared_ == nullptr) return GetLastError() == ERROR_ACCESS_DENIED ? Outcome::OutOfReach : Outcome::None;
    heldByAnother_ = GetLastError() == ERROR_ALREADY_EXISTS;
    return heldByAnother_ ? Outcome::HeldByAnother : Outcome::Held;
}

void GameFolderClaim::LetGo() {
    if (held() || shared_ == nullptr) return;
    CloseHandle(shared_);
    shared_ = nullptr;
    heldByAnother_ = false;
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
