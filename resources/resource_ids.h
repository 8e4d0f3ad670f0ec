// Resource and control ids shared by the resource script and the dialog code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TESSIVAR_DIALOG 102
#define IDS_BUILD_TEMPLATE_1 102
#define IDS_BUILD_TEMPLATE_2 103
#define IDR_MAINFRAME 128

// The system menu command that opens the About box.
#define IDM_ABOUTBOX 0x0010

#define IDC_CLASS_COMBO 1000
#define IDC_TYPELIB_GUID 1002
#define IDC_TYPELIB_MODULE 1003
#define IDC_BROWSE_TYPELIB 1004
#define IDC_COCLASS 1005
#define IDC_GENERATE 1008
#define IDC_LOG 1010
#define IDC_JAR_MODULE 1012
#define IDC_PACKAGE 1013
#define IDC_CHOOSE_DEST 1014
#define IDC_DEST 1015
#define IDC_SDK_PATH 1016
#define IDC_CHOOSE_SDK_PATH 1017
#define IDC_HIDDEN_INTERFACES 1018
#define IDC_GENERATE_ALL 1019
#define IDC_ABOUT 1024
