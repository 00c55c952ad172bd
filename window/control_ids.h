// The numbers that tie the window's code to its resources. The resource script includes this
// file too, so it holds nothing but #define lines that both compilers read.
#pragma once

// Resources
#define IDR_MAINFRAME 128
#define IDD_RECORDER_DIALOG 102

// Push buttons ("Close" is the platform's IDCANCEL, 2)
#define IDC_SET_CURRENT_TIME 1000
#define IDC_SET_TIME 1007
#define IDC_BROWSE 1008
#define IDC_PLAY 1009
#define IDC_SET_CONFIG 1010

// Radio buttons; each group starts at its first button. The frame-rate identifiers are not
// consecutive, so code walks the group in template order, never by number.
#define IDC_TRIGGER_QVGA 1001
#define IDC_TRIGGER_VGA 1002
#define IDC_LOOP_QVGA 1003
#define IDC_LOOP_VGA 1004
#define IDC_FPS_30 1005
#define IDC_FPS_24 1006
#define IDC_FPS_15 1018
#define IDC_FPS_13_3 1019
#define IDC_OVERWRITE_YES 1020
#define IDC_OVERWRITE_NO 1021

// Edits
#define IDC_MAX_GSENSOR 1011
#define IDC_MAX_MANUAL 1012
#define IDC_MAX_CYCLE 1013
#define IDC_YEAR 1022
#define IDC_MONTH 1023
#define IDC_DAY 1024
#define IDC_HOUR 1025
#define IDC_MINUTE 1026
#define IDC_SECOND 1027

// Trackbar
#define IDC_SENSITIVITY 1015

// Static texts the code writes to; every other label shares IDC_STATIC
#define IDC_VIDEO_PATH 1014
#define IDC_SENSITIVITY_VALUE 1017
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
