#include "wait_cursor.h"

namespace zvk {
namespace {

VOID WINAPI PauseShowingWaitCursor(DWORD milliseconds) {
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    Sleep(milliseconds);
}

}  // namespace

WaitCursorWhilePausing::WaitCursorWhilePausing() : calls_(kSystemFileCalls), before_(GetCursor()) {
    calls_.sleep = &PauseShowingWaitCursor;
}

WaitCursorWhilePausing::~WaitCursorWhilePausing() {
    if (GetCursor() != before_) SetCursor(before_);
}

}  // namespace zvk
