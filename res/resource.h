// Resource ids. The numbers are fixed: other programs (a second instance,
// OEM tooling) and the trace log refer to them.
#pragma once

#define IDD_VELMO_DIALOG        102

#define IDC_HIDE_BUTTON         1000
#define IDC_POPUP_OFF_CHECK     1001
#define IDC_POPUP_ON_CHECK      1002
#define IDC_OEM_LINK            1003
#define IDC_STATUS_TEXT         1004
#define IDC_ABOUT_TEXT          1005
#define IDC_PRIVACY_TEXT        1007
#define IDC_CHOICE_TEXT         1008
#define IDC_OEM_LOGO            1010

#define IDR_TRAY_MENU           129
#define IDM_TRAY_EXIT           32772
#define IDM_TRAY_SHOW           32773

#define IDB_OEM_LOGO            132

#define IDI_STATUS_ENABLED      139
#define IDI_STATUS_DISABLED     141
#define IDI_STATUS_UNKNOWN      146

#define IDS_ABOUT_TEXT          133
#define IDS_UNKNOWN_CAPTION     134
#define IDS_STATUS_ENABLED      135
#define IDS_STATUS_DISABLED     136
#define IDS_PRIVACY_TEXT        137
#define IDS_CHOICE_TEXT         138
#define IDS_OEM_LINK_TEXT       139
#define IDS_TRAY_TOOLTIP        142
#define IDS_WINDOW_CAPTION      143
#define IDS_HIDE_BUTTON         144
#define IDS_UNKNOWN_MESSAGE     145
#define IDS_POPUP_OFF           146
#define IDS_STATUS_UNKNOWN      147
#define IDS_POPUP_ON            148
#define IDS_MENU_SHOW           149
#define IDS_MENU_EXIT           150
#define IDS_LOGO_NAME           151
#define IDS_LINK_ACTION         152
