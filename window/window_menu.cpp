#include "put_back_menu.h"

#include "camera_file.h"
#include "message_text.h"

namespace zvk {
namespace {

// Window menu commands lie below the system's own (SC_SIZE is 0xF000), with the four low
// bits clear: Windows uses those for itself.
WPARAM CommandOf(unsigned item) { return 0x0100 + 0x10 * WPARAM(item); }

// `value`, below 100, as two digits: "09".
void AppendTwoDigits(MessageText& text, unsigned value) {
    text << static_cast<unsigned long>(value / 10) << static_cast<unsigned long>(value % 10);
}

// "&1 Put back your own Cameras.ini.bak (7 Dec 2026, 14:02)": the digit is the access key.
MessageText ItemText(unsigned item, unsigned number, FileTime written) {
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    const FILETIME utc = {DWORD(written), DWORD(written >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    MessageText text;
    text << L"&" << static_cast<unsigned long>(item + 1) << L" Put back your own " << BackupIn(PathText(), number).lastName();
    if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &time) && time.wMonth >= 1 &&
        time.wMonth <= 12) {
        text << L" (" << static_cast<unsigned long>(time.wDay) << L" " << kMonths[time.wMonth - 1] << L" "
             << static_cast<unsigned long>(time.wYear) << L", ";
        AppendTwoDigits(text, time.wHour);
        text << L":";
        AppendTwoDigits(text, time.wMinute);
        text << L")";
    }
    return text;
}

}  // namespace

void PutBackMenu::Rebuild(HMENU windowMenu, const KeptFileList& kept) {
    if (count_ > 0) {
        while (GetMenuItemCount(windowMenu) > itemsBefore_)
            DeleteMenu(windowMenu, UINT(GetMenuItemCount(windowMenu) - 1), MF_BYPOSITION);
    }
    count_ = kept.count;
    if (count_ == 0) return;
    itemsBefore_ = GetMenuItemCount(windowMenu);
    AppendMenuW(windowMenu, MF_SEPARATOR, 0, nullptr);
    for (unsigned item = 0; item < count_; ++item) {
        const KeptFile& file = kept.files[item];
        AppendMenuW(windowMenu, MF_STRING, CommandOf(item), ItemText(item, file.number, file.written).c_str());
    }
}

int PutBackMenu::ItemOf(WPARAM command) const {
    for (unsigned item = 0; item < count_; ++item) {
        if ((command & 0xFFF0) == CommandOf(item)) return int(item);
    }
    return -1;
}

}  // namespace zvk
