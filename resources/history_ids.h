// Test History window: template and control ids.
#pragma once

#define IDD_TEST_HISTORY        2200
#define IDC_HISTORY_LIST        2201
#define IDC_HISTORY_OVERLAY     2202
#define IDC_HISTORY_RESTORE     2203
#define IDC_HISTORY_EXPORT      2204
