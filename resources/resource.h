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
#define IDM_UNDO 32030
#define IDM_REDO 32031
#define IDM_PLAN 32032
// The plan window's context menu
#define IDM_PLAN_FIT 32033
#define IDM_PLAN_SVG 32034
// The recent files in "Datei", newest first; as many ids as MaxRecentFiles.
#define IDM_RECENT_FIRST 32040

// Controls of the main window
#define IDC_ENTRY_LIST 1
#define IDC_ADD_ENTRY 2
#define IDC_REMOVE_ENTRY 3

// Controls of the entry panel
#define IDC_FAR_VISIBLE 1000
#define IDC_FIXED_DYNAMIC_VISIBILITY 1001
#define IDC_DYNAMIC_VISIBILITY 1002
#define IDC_SHOW_ON 3012
#define IDC_FILE_NAME 3013
#define IDC_POSITION_X 3014
#define IDC_POSITION_Y 3015
#define IDC_POSITION_Z 3016
#define IDC_ROTATION_X 3017
#define IDC_ROTATION_Y 3018
#define IDC_ROTATION_Z 3019
#define IDC_HIDE_ON 3020
#define IDC_ZOOM_FACTOR 3021
#define IDC_BLINK_INTERVAL 3022
#define IDC_CHOOSE_FILE 3023

// Dialogs
#define IDD_PATHS 138
#define IDD_EXPORT 139

// Controls of the paths dialog and the about box
#define IDC_SET_PATH 3024
#define IDC_ADJUST_PATH_NAMES 3025
#define IDC_PATH_SHOWN 3026
#define IDC_SEARCH_PATH 3027
#define IDC_ABOUT_LINK 3028
// The web address that the about box shows and opens.
#define ZELLORA_WEB_ADDRESS "https://zellora.example.org"

// Version data
#define ZELLORA_VERSION_INFO 1

#ifndef RC_INVOKED
// The menu, the accelerators, the icon and the entry panel are found by this name; resource
// names are looked up without regard to letter case.
inline constexpr wchar_t ResourceName[] = L"Zellora";
#endif
