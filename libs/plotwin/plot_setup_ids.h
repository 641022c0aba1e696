// Control ids of the plot window setup dialog.
#pragma once

#define IDD_PLOT_SETUP      "PlotSetupDialog"
#define IDC_PLOT_PANE       1401
#define IDC_PLOT_ALL_PANES  1402
#define IDC_PLOT_GRID       1403
#define IDC_PLOT_LEGEND     1404
#define IDC_PLOT_BACKGROUND 1405
// One row per series in the order of the dialog: colour combo, width edit,
// width spin and name text of row r are these bases + r.
#define IDC_PLOT_COLOR      1410
#define IDC_PLOT_WIDTH      1420
#define IDC_PLOT_SPIN       1430
#define IDC_PLOT_NAME       1440
