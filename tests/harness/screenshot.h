// Saves what a window shows on the screen as a PNG file under the build folder
// (bin/screenshots/NAME.png), for people to look at.
#pragma once
#include <windows.h>

#include <string>

// Returns the path written, or an empty string on failure.
std::string SaveWindowScreenshot(HWND window, const std::string& name);
// Writes 24-bit RGB rows (top-down, width*3 bytes each) as a PNG file.
bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb);
