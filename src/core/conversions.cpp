#include "core/conversions.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/run_error.h"

namespace kadrel {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool EqualsAsciiIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

RunError MakeRunError(int number) {
  switch (number) {
    case kErrInvalidCall:
      return RunError(number, "プロシージャの呼び出し、または引数が不正です。");
    case kErrOutOfMemory:
      return RunError(number, "メモリが不足しています。");
    case kErrOverflow:
      return RunError(number, "オーバーフローしました。");
    case kErrSubscript:
      return RunError(number, "インデックスが有効範囲にありません。");
    case kErrInternal:
      return RunError(number, "内部エラーです。");
    case kErrTypeMismatch:
      return RunError(number, "型が一致しません。");
    default:
      return RunError(number, "アプリケーション定義またはオブジェクト定義のエラーです。");
  }
}

std::optional<double> ParseNumber(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  std::string_view s = text.substr(b, e - b);
  // sign? digits [. digits] [(e|E) sign? digits], at least one digit in the mantissa
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = std::strtod(std::string(s).c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int16_t> ToInt16(double value) {
  double r = std::nearbyint(value);  // the default rounding mode rounds half to even
  if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
  return static_cast<int16_t>(r);
}

double ReadFlag(std::string_view text) {
  auto v = ParseNumber(text);
  if (!v) throw MakeRunError(kErrTypeMismatch);
  return *v;
}

int16_t ReadInteger(std::string_view text) {
  auto v = ParseNumber(text);
  if (!v) throw MakeRunError(kErrTypeMismatch);
  auto i = ToInt16(*v);
  if (!i) throw MakeRunError(kErrOverflow);
  return *i;
}

std::optional<int16_t> TryReadInteger(std::string_view text) {
  auto v = ParseNumber(text);
  if (!v) return std::nullopt;
  return ToInt16(*v);
}

std::optional<bool> TryReadBoolean(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  std::string_view s = text.substr(b, e - b);
  if (EqualsAsciiIgnoreCase(s, "True")) return true;
  if (EqualsAsciiIgnoreCase(s, "False")) return false;
  auto v = ParseNumber(s);
  if (!v) return std::nullopt;
  return *v != 0.0;
}

bool ReadBoolean(std::string_view text) {
  std::optional<bool> value = TryReadBoolean(text);
  if (!value) throw MakeRunError(kErrTypeMismatch);
  return *value;
}

std::string FormatInteger(long long value) {
  return std::to_string(value);
}

}  // namespace kadrel
