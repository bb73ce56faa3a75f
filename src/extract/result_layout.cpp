#include "extract/result_layout.h"

#include "core/engine_loop.h"
#include "text/utf.h"

namespace kadrel {

namespace {

constexpr std::u32string_view kRuler =
    U"----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8";
constexpr std::u32string_view kRulerWithLineNumbers =
    U"LINE ----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8";

std::u32string Decimal(int64_t n) {
  std::string digits = std::to_string(n);
  return std::u32string(digits.begin(), digits.end());
}

}  // namespace

std::u32string_view ResultRuler(bool withLineNumbers) {
  return withLineNumbers ? kRulerWithLineNumbers : kRuler;
}

std::string LineNumberField(int64_t lineNumber) {
  std::string padded = "    " + std::to_string(lineNumber);
  return padded.substr(padded.size() - 4) + " ";
}

ResultWriter::ResultWriter(EngineLoop& loop)
    : loop_(loop),
      additional_(loop.options().resultHeaders),
      lineNumbers_(loop.options().lineNumbers),
      separator_(loop.options().resultSeparator) {}

bool ResultWriter::writeHeader(std::u32string_view targetLabel,
                               std::initializer_list<std::u32string> lines) {
  if (!additional_) return true;
  std::u32string target(targetLabel);
  target += U"[" + Utf8ToU32(loop_.io().readPath) + U"]";
  if (!loop_.write(target)) return false;
  for (const std::u32string& line : lines) {
    if (!loop_.write(line)) return false;
  }
  return loop_.write(ResultRuler(lineNumbers_));
}

bool ResultWriter::writeTrailer(std::initializer_list<std::u32string> countLines) {
  if (!additional_) return true;
  if (!loop_.write(ResultRuler(lineNumbers_))) return false;
  for (const std::u32string& line : countLines) {
    if (!loop_.write(line)) return false;
  }
  if (!separator_) return true;
  return loop_.write(U"") && loop_.write(U"■■■■■■■■■■■■■■■■■■■■") && loop_.write(U"");
}

bool ResultWriter::writeRangeHeader(std::u32string_view startKey, std::u32string_view endKey) {
  return writeHeader(U"対象ファイル　　　　 ",
                     {U"開始キーワード文字列 [" + std::u32string(startKey) + U"]",
                      U"終了キーワード文字列 [" + std::u32string(endKey) + U"]"});
}

bool ResultWriter::writeRangeTrailer(int64_t startHits, int64_t endHits, int64_t linesWritten) {
  return writeTrailer({U"開始キーワード文字列   " + Decimal(startHits) + U" 個 検出",
                       U"終了キーワード文字列   " + Decimal(endHits) + U" 個 検出",
                       U"抽出行数　　　　　　   " + Decimal(linesWritten) + U" 行"});
}

bool ResultWriter::writeMatchHeader(std::u32string_view expressionText) {
  return writeHeader(U"対象ファイル  ", {U"検索文字列   " + std::u32string(expressionText)});
}

bool ResultWriter::writeMatchTrailer(int64_t linesWritten) {
  return writeTrailer({U"抽出行数　　　　　　   " + Decimal(linesWritten) + U" 行"});
}

bool ResultWriter::writeBody(int64_t lineNumber, std::string_view lineBytes) {
  return beginBody(lineNumber) && loop_.writeRaw(lineBytes);
}

bool ResultWriter::beginBody(int64_t lineNumber) {
  // The field is ASCII, the same bytes in every supported code page.
  return !lineNumbers_ || loop_.writeBytes(LineNumberField(lineNumber));
}

}  // namespace kadrel
