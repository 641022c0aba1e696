// Checking what the user typed into the axis and scaling dialogs: plain
// functions over the texts, so the rules are tested without a window.
#pragma once
#include <string>

#include "controller/zq_records.h"

namespace zqdlg {

enum class NumberRule { Any, NonNegative, Positive, NonZero };

// Reads a number for the field called name ("velocity"). Returns an empty
// string and fills value when the text is a finite number that keeps the rule;
// otherwise the message to show ("Please enter a positive number for the velocity.").
std::string CheckNumber(const std::string& text, const char* name, NumberRule rule, double& value);

// The units name of an axis lives in the first bytes of its AxisScale record,
// which the controller keeps as they were written: at most kMaxUnitsLength
// characters, terminated when shorter.
constexpr std::size_t kMaxUnitsLength = 16;
std::string UnitsOf(const AxisScale& scale);
// Stores text (cut to kMaxUnitsLength characters) and clears the rest of the field.
void SetUnits(AxisScale& scale, const std::string& text);

}  // namespace zqdlg
