// Identifiers of the program's resources and controls, shared by the resource script and by
// every window that loads a dialog, string or bitmap: below both, so neither reaches up.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUTBOX 100
#define IDD_VELTRANO_DIALOG 102
#define IDD_XP_OPTIONS 131

#define IDS_ABOUTBOX 101
#define IDR_MAINFRAME 128
#define IDR_SCAN_ANIMATION 134
#define IDB_ROW_ICONS 135
#define IDR_TOOLBAR 136
#define IDB_TOOLBAR 144
#define IDB_LOOKUP_DE 146
#define IDB_LOOKUP_EN 147

#define IDC_ERROR_LIST 1000
#define IDC_DESCRIPTION 1001
#define IDC_XP_HEADING 1001
#define IDC_XP_KEEP 1002
#define IDC_XP_REMOVE 1003
#define IDC_XP_KEEP_NOTE 1004
#define IDC_XP_REMOVE_NOTE 1005
#define IDC_ANIMATION 1007
#define IDC_DETAIL_LINK 1008
#define IDC_LOWER_FRAME 1009
#define IDC_LOWER_LEFT_FRAME 1013
#define IDC_SUMMARY 1014
#define IDC_BANNER 1016
#define IDC_EMPTY_NOTICE 1017
#define IDC_ABOUT_SEPARATOR 1018
#define IDC_ABOUT_LINK 1019
#define IDC_ABOUT_TEXT 1020
#define IDC_LOOKUP_BUTTON 1021

#define ID_INDICATOR_COUNT 1100
#define IDM_ABOUTBOX 0x0010

#define ID_INTERVAL_WEEK 32773
#define ID_INTERVAL_MONTH 32774
#define ID_INTERVAL_6MONTHS 32775
#define ID_INTERVAL_ALL 32776
#define ID_LOOKUP 32777
#define ID_INFO 32788

#define IDS_APP_TITLE 0xE000
