// Resource and control identifiers, shared by the resource script, the window and the tests.
#pragma once

#define ZVK_PRODUCT_NAME "ZVK Vazivo Vive"
#define ZVK_EXE_NAME "ZvkCameraMode.exe"
// The copyright line of LICENSE, and the licence's name (the release check holds them alike).
#define ZVK_COPYRIGHT "Copyright (c) 2026 the ZVK Camera Mode authors, MIT License"

#define IDI_APP 1  // the lowest icon id: Explorer shows it as the program's icon
#define IDB_BANNER 101

// Control ids stay clear of IDOK (1) and IDCANCEL (2), which the dialog manager sends for
// Enter and Escape: neither key may press a button that has no focus.
#define IDC_TEXT1_LABEL 1000
#define IDC_TEXT1 1001
#define IDC_COMMAND1 1011
#define IDC_COMMAND2 1012
#define IDC_COMMAND3 1013
#define IDC_COMMAND4 1014
#define IDC_COMMAND5 1015
