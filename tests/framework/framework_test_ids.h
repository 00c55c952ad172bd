// The test template's numbers, shared by the test code and its resource script.
#pragma once

#define IDD_FRAMEWORK_TEST 200
#define IDC_A0 201
#define IDC_NOT_A_RADIO 202
#define IDC_A1 203
#define IDC_NO_GROUP_STYLE 204
#define IDC_A2 205
#define IDC_GROUP_END 206
#define IDC_B0 207
#define IDC_B1 208
#define IDC_TRACKBAR 209
