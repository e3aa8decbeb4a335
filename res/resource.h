// Resource identifiers of Vantrel.exe: the dialog template, the icon and the controls.
// Shared by the resource script and the C++ code, so it holds #defines only.
#pragma once

#define IDD_MAIN 102
#define IDR_MAINFRAME 128

#define IDC_BROWSE 3
#define IDC_FIND_ASCII 1000
#define IDC_FIND_UNICODE 1001
#define IDC_FIND_HEX 1002
#define IDC_OPEN_DIR 1005
#define IDC_START 1007
// No control bears this id; a click notification for it ends the process at once.
#define IDC_END_PROCESS 1008
#define IDC_REPLACE_ASCII 1009
#define IDC_REPLACE_UNICODE 1010
#define IDC_REPLACE_HEX 1011
#define IDC_PATH 1012
#define IDC_ASK_REPLACE 1014
#define IDC_FIND_UTF8 1015
#define IDC_REPLACE_UTF8 1016
#define IDC_WHOLE_STRING 1017

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
