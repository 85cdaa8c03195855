#include "texts.h"

namespace zvk {

// The author's contact addresses are left out, with their section, "6. e-mail".
const wchar_t HelpText[] =
    L"ZEVRAKON: DUSKMARR 2\r\n"
    L"VAZIVO VIVE -= 3 MODE =-\r\n"
    L"\r\n"
    L"0. Why Vazivo Vive ?\r\n"
    L"  This is More Camera For ZVK DM2,\r\n"
    L"  If You Didn't Like Original Cam.\r\n"
    L"\r\n"
    L"1. ZVK Mode\r\n"
    L"  This Mode Is Original Mode\r\n"
    L"  Created by KJ\r\n"
    L"\r\n"
    L"2. Car Mode\r\n"
    L"  This Mode is Zoom on In Car\r\n"
    L"  Created by Unknow\r\n"
    L"\r\n"
    L"3. Zoom Mode\r\n"
    L"  This Mode is Zoom In\\out by Your speed,\r\n"
    L"  If You High Speed it Will Zoom Out.\r\n"
    L"  Created by Unknow\r\n"
    L"\r\n"
    L"4. How Install Camera\r\n"
    L"  To Install Camera Copy This Exe File in\r\n"
    L"  ZVK DM2 Dir & Open It.\r\n"
    L"\r\n"
    L"5. Backup\r\n"
    L"  You Don't Need To Backup Files, \"ZVK Mode\"\r\n"
    L"  is Original Files For Camera.\r\n";

const wchar_t AboutText[] =
    L" ooO This Stuff Ooo\r\n"
    L"\r\n"
    L" This File Created For Zevrakon: Duskmarr2\r\n"
    L"\r\n"
    L" 3 Cameras Mode Created by:\r\n"
    L"\r\n"
    L" \r\n"
    L" 1st Mode by : KJ\r\n"
    L" 2st Mode by : Hmm,\r\n"
    L" 3rd Mode by : Hmm,\r\n"
    L"\r\n";

}  // namespace zvk
