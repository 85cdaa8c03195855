// The window menu's own items, built from values: see window_menu.h.
#include "window_menu.h"

#include "camera_file.h"
#include "layout.h"
#include "message_text.h"
#include "version.h"

namespace zvk {
namespace {

// Window menu commands lie below the system's own (SC_SIZE is 0xF000), with the four low
// bits clear: Windows uses those for itself.
WPARAM CommandOf(unsigned item) { return 0x0100 + 0x10 * WPARAM(item); }
// The greyed items' commands, which nothing ever sends.
constexpr WPARAM kGameFolderCommand = 0x0200;
constexpr WPARAM kVersionCommand = 0x0210;

// When a file was kept, in local time, where it can be told.
struct KeptAt {
    SYSTEMTIME local{};
    bool known = false;
};

// In the time zone's offset of that day, as Explorer shows it: a file kept in summer reads the
// same in winter. (FileTimeToLocalFileTime would apply today's offset to every date.)
KeptAt LocalTimeOf(FileTime written) {
    const FILETIME utc = {DWORD(written), DWORD(written >> 32)};
    SYSTEMTIME universal{};
    KeptAt at;
    at.known = FileTimeToSystemTime(&utc, &universal) &&
               SystemTimeToTzSpecificLocalTime(nullptr, &universal, &at.local) && at.local.wMonth >= 1 &&
               at.local.wMonth <= 12;
    return at;
}

bool SameMinute(const KeptAt& a, const KeptAt& b) {
    return a.known && b.known && a.local.wYear == b.local.wYear && a.local.wMonth == b.local.wMonth &&
           a.local.wDay == b.local.wDay && a.local.wHour == b.local.wHour && a.local.wMinute == b.local.wMinute;
}

// `value`, below 100, as two digits: "09".
void AppendTwoDigits(MessageText& text, unsigned value) {
    text << static_cast<unsigned long>(value / 10) << static_cast<unsigned long>(value % 10);
}

// "&1 Put back your own Cameras.ini.bak (7 Dec 2026, 14:02)": the digit is the access key.
// With the seconds too, where another item would read the same.
MessageText ItemText(unsigned item, unsigned number, const KeptAt& at, bool withSeconds) {
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    MessageText text;
    text << L"&" << static_cast<unsigned long>(item + 1) << L" Put back your own "
         << BackupIn(PathText(), number).lastName();
    if (!at.known) return text;
    const SYSTEMTIME& time = at.local;
    text << L" (" << static_cast<unsigned long>(time.wDay) << L" " << kMonths[time.wMonth - 1] << L" "
         << static_cast<unsigned long>(time.wYear) << L", ";
    AppendTwoDigits(text, time.wHour);
    text << L":";
    AppendTwoDigits(text, time.wMinute);
    if (withSeconds) {
        text << L":";
        AppendTwoDigits(text, time.wSecond);
    }
    text << L")";
    return text;
}

// "Game folder: C:\Games\ZVK DM2", with a path's "&" doubled so that the menu shows it.
MessageText GameFolderText(const GameFolderLookup& where) {
    MessageText text;
    if (where.found.place == GameFolder::NotFound) {
        text << L"No game folder found here: copy this program into the game's folder";
        return text;
    }
    text << L"Game folder: ";
    for (wchar_t c : where.found.path.view()) text << (c == L'&' ? std::wstring_view(L"&&") : std::wstring_view(&c, 1));
    return text;
}

void AppendKeptFileItems(HMENU windowMenu, const KeptFileList& kept) {
    KeptAt at[KeptFileList::kMostListed];
    for (unsigned item = 0; item < kept.count; ++item) at[item] = LocalTimeOf(kept.files[item].written);
    for (unsigned item = 0; item < kept.count; ++item) {
        bool readsAlike = false;
        for (unsigned other = 0; other < kept.count; ++other)
            readsAlike = readsAlike || (other != item && SameMinute(at[item], at[other]));
        AppendMenuW(windowMenu, MF_STRING, CommandOf(item),
                    ItemText(item, kept.files[item].number, at[item], readsAlike).c_str());
    }
}

}  // namespace

void WindowMenu::Rebuild(HMENU windowMenu, const KeptFileList& kept, const GameFolderLookup& where) {
    if (itemsBefore_ >= 0) {
        while (GetMenuItemCount(windowMenu) > itemsBefore_)
            DeleteMenu(windowMenu, UINT(GetMenuItemCount(windowMenu) - 1), MF_BYPOSITION);
    }
    itemsBefore_ = GetMenuItemCount(windowMenu);
    kept_ = kept.count;
    AppendMenuW(windowMenu, MF_SEPARATOR, 0, nullptr);
    if (kept.count > 0) {
        AppendKeptFileItems(windowMenu, kept);
        AppendMenuW(windowMenu, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuW(windowMenu, MF_STRING | MF_GRAYED, kGameFolderCommand, GameFolderText(where).c_str());
    MessageText version;
    version << std::wstring_view(kForm1Title) << L" " << std::string_view(ZVK_VERSION_TEXT);
    AppendMenuW(windowMenu, MF_STRING | MF_GRAYED, kVersionCommand, version.c_str());
}

int WindowMenu::ItemOf(WPARAM command) const {
    for (unsigned item = 0; item < kept_; ++item) {
        if ((command & 0xFFF0) == CommandOf(item)) return int(item);
    }
    return -1;
}

}  // namespace zvk
