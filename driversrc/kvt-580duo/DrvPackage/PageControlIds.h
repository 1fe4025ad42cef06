/* Dialog templates and control ids of the plug-in's pages and of its paper-size
   dialog. The resource compiler reads this file too: plain macros only.
   Several ids mean different controls in different dialogs, so each name
   says its dialog. */
#pragma once

#define IDD_PAPER 116
#define IDD_USER_PAPER_SIZE 118
#define IDD_DOCUMENT_SETTINGS 121
#define IDD_VERSION 133

/* Document Settings (121). */
#define IDC_LINE_FEEDS 1001
#define IDC_START_DOC 1002
#define IDC_CUT_NONE 1003
#define IDC_DRAWER_D 1004
#define IDC_DRAWER_C 1005
#define IDC_END_DOC 1006
#define IDC_START_PAGE 1007
#define IDC_END_PAGE 1009
#define IDC_DRAWER_A 1010
#define IDC_DRAWER_B 1011
#define IDC_DRAWER_C_ARROWS 1027
#define IDC_DRAWER_D_ARROWS 1028
#define IDC_DRAWER_C_PULSE 1029
#define IDC_LINE_FEED_ARROWS 1030
#define IDC_DRAWER_C_UNIT 1031
#define IDC_DRAWER_D_UNIT 1032
#define IDC_DRAWER_A_UNIT 1033
#define IDC_DRAWER_B_UNIT 1034
#define IDC_DRAWER_D_PULSE 1035
#define IDC_LINE_FEED_RANGE 1036
#define IDC_DRAWER_A_PULSE 1037
#define IDC_DRAWER_B_PULSE 1038
#define IDC_DRAWER_A_ARROWS 1039
#define IDC_DRAWER_B_ARROWS 1040
#define IDC_CUT_JOB 1042
#define IDC_CUT_PAGE_AND_JOB 1043

/* Paper (116). */
#define IDC_PAPER_SIZE 1013
#define IDC_PAPER_SIZE_FORMS 1014
#define IDC_PAPER_TYPE 1015
#define IDC_COPIES 1016
#define IDC_MONOCHROME 1017
#define IDC_COLOR 1018
#define IDC_PAPER_SOURCE 1019
#define IDC_COPIES_ARROWS 1041

/* User Defined Paper Size (118). */
#define IDC_FORM_DELETE 1024
#define IDC_FORM_SAVE 1025
#define IDC_FORM_LIST 1026
#define IDC_FORM_WIDTH 1027
#define IDC_FORM_WIDTH_ARROWS 1028
#define IDC_FORM_LENGTH 1029
#define IDC_FORM_LENGTH_ARROWS 1030
#define IDC_FORM_NAME 1031
#define IDC_FORM_CLOSE 1032

/* Version (133). */
#define IDC_VERSION_TEXT 1010
#define IDC_LEGAL_NOTICE 1011
#define IDC_PICTURE_FRAME_1 1018
#define IDC_PICTURE_FRAME_2 1019
