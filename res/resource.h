#pragma once
// Identifiers shared by the dialog template, the program and its tests.
#define IDD_MAIN_DIALOG 103
#define IDI_APP_ICON 130
#define IDC_SCENE_CONTROL 1001
#define IDC_EXTENSION_LIST 1003
#define IDC_INFO_TEXT 1004
#define IDC_DRIVER_LIST 1005
#define IDC_CLOSE_COMMAND 105
#define IDM_COPY_REPORT 40001
#define IDM_SAVE_REPORT 40002
#define IDM_CHECK_PROGRAM 40003
#define IDM_COMPARE_REPORT 40004
#define IDM_TURN_BACK 40005
// Hidden labels made after the first frame, which name the controls after
// them for screen readers; not in the template.
#define IDC_SCENE_LABEL 1006
#define IDC_EXTENSION_LABEL 1007
