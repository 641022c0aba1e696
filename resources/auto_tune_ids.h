// The Auto Tune dialog: template name and control ids.
#pragma once

#define IDD_AUTO_TUNE "AutoTuneDialog"
#define IDC_TUNE_START        2301
#define IDC_TUNE_PROGRESS     2302
#define IDC_TUNE_STATUS       2303
#define IDC_TUNE_APPLY        2304
#define IDC_TUNE_PROPOSED_P   2305
#define IDC_TUNE_PROPOSED_I   2306
#define IDC_TUNE_PROPOSED_D   2307
#define IDC_TUNE_RESULTS      2308
#define IDC_TUNE_STIFF        2310
#define IDC_TUNE_MEDIUM       2311
#define IDC_TUNE_SOFT         2312
// Beyond the fixed ids: the explanation and the current gains.
#define IDC_TUNE_TEXT         2313
#define IDC_TUNE_CURRENT_P    2315
#define IDC_TUNE_CURRENT_I    2316
#define IDC_TUNE_CURRENT_D    2317
