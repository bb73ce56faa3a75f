#include "support/every_code.h"

#include <unicode/ucnv.h>

#include <initializer_list>
#include <stdexcept>

#include "text/utf.h"

namespace kadrel::test {

namespace {

std::vector<std::string> Candidates(CodePage cp) {
  std::vector<std::string> codes;
  auto add = [&](std::initializer_list<int> bytes) {
    codes.emplace_back();
    for (int b : bytes) codes.back() += static_cast<char>(b);
  };
  switch (cp) {
    case CodePage::CP932:
      for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
          if ((lead <= 0x9F || lead >= 0xE0) && trail != 0x7F) add({lead, trail});
        }
      }
      break;
    case CodePage::EUCJP:
      for (int b = 0xA1; b <= 0xDF; ++b) add({0x8E, b});
      for (int row = 0xA1; row <= 0xFE; ++row) {
        for (int cell = 0xA1; cell <= 0xFE; ++cell) {
          add({row, cell});
          add({0x8F, row, cell});
        }
      }
      break;
    case CodePage::UTF8:
      for (char32_t c = 0x80; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF) codes.push_back(U32ToUtf8(std::u32string(1, c)));
      break;
  }
  return codes;
}

const char* IcuName(CodePage cp) {
  switch (cp) {
    case CodePage::EUCJP:
      return "EUC-JP";
    case CodePage::UTF8:
      return "UTF-8";
    case CodePage::CP932:
      break;
  }
  return "windows-31j";
}

std::optional<char32_t> IcuReading(UConverter* conv, const std::string& bytes) {
  UErrorCode err = U_ZERO_ERROR;
  UChar u[4];
  ucnv_resetToUnicode(conv);
  const int32_t n =
      ucnv_toUChars(conv, u, 4, bytes.data(), static_cast<int32_t>(bytes.size()), &err);
  if (U_FAILURE(err) || n < 1 || n > 2) return std::nullopt;
  if (n == 1) return U16_IS_SURROGATE(u[0]) ? std::nullopt : std::optional<char32_t>(u[0]);
  if (!U16_IS_LEAD(u[0]) || !U16_IS_TRAIL(u[1])) return std::nullopt;
  return U16_GET_SUPPLEMENTARY(u[0], u[1]);
}

}  // namespace

std::vector<CodeReading> EveryCode(CodePage cp) {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(IcuName(cp), &err);
  ucnv_setToUCallBack(conv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  if (U_FAILURE(err)) throw std::runtime_error("no ICU converter");
  std::vector<CodeReading> readings;
  for (std::string& code : Candidates(cp)) {
    if (std::optional<char32_t> c = IcuReading(conv, code))
      readings.push_back({std::move(code), *c});
  }
  ucnv_close(conv);
  return readings;
}

}  // namespace kadrel::test
