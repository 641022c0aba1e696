// Text drawn into an enhanced metafile, with the position of each string.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DrawnText {
    int x, y;
    std::string text;
};

// Plays back the metafile's text records (it is not deleted).
std::vector<DrawnText> MetafileTexts(HENHMETAFILE metafile);
// The first drawn text equal to text, or null.
const DrawnText* FindDrawn(const std::vector<DrawnText>& texts, const std::string& text);
