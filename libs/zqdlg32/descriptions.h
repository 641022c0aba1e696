// Description texts of controller and module types and the command file
// extension, copied into caller buffers that are always terminated.
#pragma once

namespace zqdlg {

// Text forms of the description functions.
enum DescForm { kDescShort = 0, kDescLong = 1 };

// The description of a controller type, or nullptr for a type this library
// does not know. Short texts name the model, long texts fit 31 characters.
const char* ControllerDescription(int type, int form);
const char* ModuleDescription(int type, int form);
// Command file extension for a controller type, without the dot; every known
// controller reads ZPCL, so unknown types get the same extension.
const char* CommandFileExtension(int type);

// Copies text into buffer (size bytes, always terminated, never past size).
// Returns 0 when it fitted, kDlgErrBadArgument for a null buffer or size < 1,
// kDlgErrBufferTooSmall when the text was cut.
int FillText(const char* text, char* buffer, int size);

// The description functions' common work: fills buffer with the text, or with
// "Unknown" for a null text, and returns 0, kDlgErrUnknownType or FillText's error.
int FillDescription(const char* text, char* buffer, int size);

}  // namespace zqdlg
