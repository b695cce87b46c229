// Ids of FLINDOR's resources, shared by the resource script and the Win32 code.
#pragma once

// Resources
#define IDR_MAIN_MENU 101
#define IDR_ACCELERATORS 102
#define IDI_APPLICATION_ICON 102
#define IDD_ABOUT 104
#define IDD_CONTROL_PANEL 105
#define IDB_TOOLBAR 119
#define IDD_CONFIRM 120

// Strings
#define IDS_WINDOW_TITLE 1
#define IDS_CLASS_NAME 2

// Menu and accelerator commands
#define IDM_EXIT 40002
#define IDM_DOWNLOAD 40003
#define IDM_ABOUT 40004
#define IDM_OPEN 40005
#define IDM_NO_ACTION 40012

// AboutDialog
#define IDC_ABOUT_ICON 102

// ControlPanel; the toolbar and the drive list are created by the code, not the template
#define IDC_TOOLBAR 1
#define IDC_DRIVE_COMBO 101
#define IDC_IMAGE_NAME 1002
#define IDC_OLD_VERSION_CAPTION 1004
#define IDC_NEW_VERSION_CAPTION 1005
#define IDC_IMAGE_NAME_CAPTION 1006
#define IDC_OLD_VERSION 1008
#define IDC_NEW_VERSION 1009
#define IDC_MODEL_CAPTION 1022

// ConfirmDialog
#define IDC_QUESTION 1023

// Controls without an id of their own
#define IDC_NONE (-1)
