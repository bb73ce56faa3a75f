#include "cli/quoted_value.h"

#include <cstdio>

namespace kadrel::cli {

std::string ShownText(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string QuotedValue(const std::string& value) {
  return "「" + ShownText(value) + "」";
}

std::string RefusedValue(const std::string& value) {
  return "（" + QuotedValue(value) + "は使えません）";
}

}  // namespace kadrel::cli
