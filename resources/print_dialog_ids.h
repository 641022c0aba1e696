// The print job's cancel dialog.
#pragma once

#define IDD_PRINT_DIALOG "PrintDialog"
