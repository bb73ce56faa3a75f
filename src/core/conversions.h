// Readings of text fields as numbers, with the rules of the classic conversions:
// surrounding blanks are allowed, an empty or non-numeric text is a type mismatch,
// a value outside the 16-bit range an overflow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kadrel {

// The text as a number (decimal, optional sign, fraction and exponent), or nothing.
std::optional<double> ParseNumber(std::string_view text);

// A number rounded half to even to a 16-bit integer, or nothing when out of range.
std::optional<int16_t> ToInt16(double value);

// Converting readings: they throw RunError (13 type mismatch, 6 overflow).
double ReadFlag(std::string_view text);      // non-zero means on
int16_t ReadInteger(std::string_view text);  // 16-bit signed
bool ReadBoolean(std::string_view text);     // "True"/"False" (any case) or a number

// Non-throwing readings for validation and settings.
std::optional<int16_t> TryReadInteger(std::string_view text);
std::optional<bool> TryReadBoolean(std::string_view text);

// Decimal text of a number, as written back into messages and settings.
std::string FormatInteger(long long value);

}  // namespace kadrel
