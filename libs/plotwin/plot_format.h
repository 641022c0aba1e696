// Number formats of the axes: the y format is a caller's printf format, so it
// is checked before use; the x numbers use a fixed short format.
#pragma once
#include <string>

// True for a printf format that converts exactly one double: one of %f %F %e
// %E %g %G %a %A with optional flags, width and precision (at most two digits
// each) and an optional 'l'; any other text and "%%" may surround it.
bool IsSafeYFormat(const char* format);
// Formats v with a format that passed IsSafeYFormat; leading and trailing
// blanks are removed, so padded formats such as "%7.3lf" still align.
std::string FormatYNumber(const std::string& format, double v);
// Shortest readable text for an x tick value ("%g", with -0 shown as 0).
std::string FormatXNumber(double v, double span);
