// Ids of the editor's resources. The menu, the accelerator table, the icon and the entry
// panel are named resources (ZELLORA); the program finds them by the name "Zellora".
#pragma once

// Commands of the menu and the accelerators
#define IDM_NEW 32004
#define IDM_IGNORED 32005
#define IDM_OPEN 32006
#define IDM_SAVE 32007
#define IDM_SAVE_AS 32008
#define IDM_EXIT 32009
#define IDM_EXPORT 32011
#define IDM_OPEN_AFTER_EXPORT 32012
#define IDM_HELP 32017
#define IDM_INFO 32019
#define IDM_ADJUST_PATHS 32021
#define IDM_COPY 32022
#define IDM_PASTE 32023

// Controls of the main window
#define IDC_ENTRY_LIST 1
#define IDC_ADD_ENTRY 2
#define IDC_REMOVE_ENTRY 3

// Dialogs
#define IDD_PATHS 138
#define IDD_EXPORT 139

// Version data
#define ZELLORA_VERSION_INFO 1

#ifndef RC_INVOKED
// The menu, the accelerators, the icon and the entry panel are found by this name; resource
// names are looked up without regard to letter case.
inline constexpr wchar_t ResourceName[] = L"Zellora";
#endif
