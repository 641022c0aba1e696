// Fitting report texts into a width, measured at ten units per character.
#include <gtest/gtest.h>

#include <string>

#include "print/text_fit.h"

namespace {

int TenPerCharacter(const std::string& s) { return 10 * static_cast<int>(s.size()); }

TEST(FitText, CutsWithAnEllipsisOnlyWhatIsTooWide) {
    const struct { const char* text; int width; const char* fitted; } cases[] = {
        {"Axis Type", 90, "Axis Type"},                 // exactly fits
        {"Axis Type", 89, "Axis..."},                   // the blank before the cut goes too
        {"1000      ", 40, "1000      "},               // padding takes no room and is kept
        {"ZM-6 Floating Point Servo", 100, "ZM-6 Fl..."},
        {"abc", 29, ""},                                // not even the ellipsis fits
        {"abcdef", 30, "..."},
        {"", 0, ""},
        {"    ", 0, "    "},
    };
    for (const auto& c : cases) EXPECT_EQ(FitText(c.text, c.width, TenPerCharacter), c.fitted) << c.text << " " << c.width;
}

}  // namespace
