// Ids of the test resources (test.rc).
#pragma once

#define IDD_CONTROLS 100
#define IDD_PAGE_A 200
#define IDD_PAGE_B 201
#define IDD_PAGE_C 202
#define IDI_BLANK 300

#define IDC_AUTO_CHECK 10
#define IDC_PLAIN_CHECK 11
#define IDC_PUSH 12
#define IDC_READONLY_EDIT 13
#define IDC_LIST_COMBO 14
#define IDC_EDIT_COMBO 15
#define IDC_LIST_VIEW 16
#define IDC_DEFAULT_PUSH 17
#define IDC_DISABLED_PUSH 18
#define IDC_PAGE_CHECK 20

#define IDS_PLAIN 1
#define IDS_ESCAPES 2
#define IDS_LONG 3
