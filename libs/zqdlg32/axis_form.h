// Checking what the user typed into the axis and scaling dialogs: plain
// functions over the texts, so the rules are tested without a window.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "controller/zq_records.h"

namespace zqdlg {

enum class NumberRule { Any, NonNegative, Positive, NonZero };

// Reads a number for the field called name ("velocity"). Returns an empty
// string and fills value when the text is a finite number that keeps the rule;
// otherwise the message to show ("Please enter a positive number for the velocity.").
// least and most are the limits of what the controller accepts; a number that
// keeps the rule but lies beyond them names the range ("Please enter a number
// from 0 to 1000 for the ..."), so the controller is never handed a value it
// refuses.
std::string CheckNumber(const std::string& text, const char* name, NumberRule rule, double& value,
                        double least = -HUGE_VAL, double most = HUGE_VAL);

// The message for a write of the Axis Setup dialog that the controller refused:
// parts are what the dialog writes, in order ("the profile"), written how many
// of them went through before the refusal.
std::string WriteFailureText(unsigned axis, const std::vector<std::string>& parts, std::size_t written);

// The units name of an axis lives in the first bytes of its AxisScale record,
// which the controller keeps as they were written: at most kMaxUnitsLength
// characters, terminated when shorter.
constexpr std::size_t kMaxUnitsLength = 16;
std::string UnitsOf(const AxisScale& scale);
// Stores text (cut to kMaxUnitsLength characters) and clears the rest of the field.
void SetUnits(AxisScale& scale, const std::string& text);

}  // namespace zqdlg
