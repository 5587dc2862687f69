#pragma once
// Resource numbers of the camera button utility (DelmHalvoUVC.rc and utility/).
#define IDI_UTILITY 128

#define IDS_PANEL_TITLE 4

// The hidden poll dialog; none of its controls is ever shown.
#define IDD_UTILITY 102
#define IDC_UTILITY_CANCEL 1000
#define IDC_UTILITY_OK 1001
#define IDC_UTILITY_TABS 1002
#define IDC_UTILITY_APPLY 1086

// The camera panel.
#define IDD_CAMERA_PANEL 173
#define IDC_FLIP 1127
#define IDC_LOW_LIGHT 1128
#define IDC_SETTING 1129
#define IDC_PANEL_BACKGROUND 1130

#define IDB_PANEL 215
#define IDB_FLIP_STRIP 216
#define IDB_LOW_LIGHT_STRIP 217
#define IDB_SETTING_STRIP 218
