// Control ids of the PID Setup dialog ("PanelSetupDialog"). Each gain has a
// group of seven controls: the group box g, "Upper Limit" g+1, its edit g+2,
// "%" g+3, "Lower Limit" g+4, its edit g+5, "%" g+6.
#pragma once

#define IDC_PID_P_GROUP  300
#define IDC_PID_P_UPPER_LABEL 301
#define IDC_PID_P_UPPER  302
#define IDC_PID_P_UPPER_UNIT 303
#define IDC_PID_P_LOWER_LABEL 304
#define IDC_PID_P_LOWER  305
#define IDC_PID_P_LOWER_UNIT 306

#define IDC_PID_I_GROUP  310
#define IDC_PID_I_UPPER_LABEL 311
#define IDC_PID_I_UPPER  312
#define IDC_PID_I_UPPER_UNIT 313
#define IDC_PID_I_LOWER_LABEL 314
#define IDC_PID_I_LOWER  315
#define IDC_PID_I_LOWER_UNIT 316

#define IDC_PID_D_GROUP  320
#define IDC_PID_D_UPPER_LABEL 321
#define IDC_PID_D_UPPER  322
#define IDC_PID_D_UPPER_UNIT 323
#define IDC_PID_D_LOWER_LABEL 324
#define IDC_PID_D_LOWER  325
#define IDC_PID_D_LOWER_UNIT 326

// Offsets inside a group and the number of controls in it.
#define PID_GROUP_UPPER  2
#define PID_GROUP_LOWER  5
#define PID_GROUP_SIZE   7

#define IDC_PID_HELP     51
