// Dialog templates and control ids of the test setup sheet's three pages.
#pragma once

#define IDD_INFO_PAGE           1000
#define IDD_MOTION_PAGE         1100
#define IDD_PLOT_PAGE           1200

// Info page.
#define IDC_INFO_GROUP          1001
#define IDC_INFO_AXIS_TYPE      1002
#define IDC_INFO_BUFFER_SIZE    1003
#define IDC_INFO_MIN_PERIOD     1004
#define IDC_INFO_ADVANCED       1005
#define IDC_INFO_MODES          1006

// Motion settings page.
#define IDC_MOTION_DISTANCE     1110
#define IDC_MOTION_TIME         1111
#define IDC_MOTION_DELAY        1112
#define IDC_CYCLE_CHECK         1120
#define IDC_CYCLE_DWELL_LABEL   1121
#define IDC_CYCLE_DWELL         1122
#define IDC_CYCLE_DWELL_UNIT    1123
#define IDC_REPEAT_CHECK        1130
#define IDC_REPEAT_COUNT_LABEL  1131
#define IDC_REPEAT_COUNT        1132
#define IDC_REPEAT_DWELL_LABEL  1133
#define IDC_REPEAT_DWELL        1134
#define IDC_REPEAT_DWELL_UNIT   1135
#define IDC_GANTRY_CHECK        1140
#define IDC_GANTRY_MASTER_LABEL 1141
#define IDC_GANTRY_MASTER       1142
#define IDC_GANTRY_SLAVE_LABEL  1143
#define IDC_GANTRY_SLAVE        1144
#define IDC_GANTRY_SHARE        1145

// Plot settings page. The style radio ids are the stored PlotStyle values and
// the decimation radio ids are IDC_SAMPLING_BASE + Sampling (there is no 1233).
#define IDC_PLOT_ACTUAL         1210
#define IDC_PLOT_OPTIMAL        1211
#define IDC_PLOT_ERROR          1212
#define IDC_PLOT_TORQUE         1213
#define IDC_PLOT_TARGET         1214
#define IDC_PLOT_AUXILIARY      1215
#define IDC_AUX_SCALE_LABEL     1216
#define IDC_AUX_SCALE           1217
#define IDC_PLOT_METRICS        1218
#define IDC_STYLE_SINGLE        1220
#define IDC_STYLE_MULTI         1221
#define IDC_STYLE_SEPARATE      1222
#define IDC_SAMPLING_BASE       1230
#define IDC_SAMPLING_ALL        1231
#define IDC_SAMPLING_HALF       1232
#define IDC_SAMPLING_QUARTER    1234
