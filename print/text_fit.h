// Fitting a line of text into a given width: a text that is too wide is cut
// and ends with an ellipsis, so that it never runs into its neighbour.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The text as it fits into width, with measure giving the drawn width of a
// string. Blanks at the end take no room (a padded value that fits stays as
// it is); a cut text ends with "..." and keeps as many characters as fit
// before it. When not even "..." fits, the result is empty.
std::string FitText(const std::string& text, int width, const std::function<int(const std::string&)>& measure);
// The same, measured in the font selected in dc.
std::string FitText(HDC dc, const std::string& text, int width);
