#include "combo/step_description.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "combo/mode_names.h"
#include "core/conversions.h"
#include "core/text/case_fold.h"
#include "core/text/strings.h"
#include "core/text/utf.h"
#include "extract/search_expression.h"

namespace kadrel {

namespace {

// The step does not describe: the text so far is the description.
struct DescriptionFailure {};

class Describer {
 public:
  explicit Describer(const StepRecord& step) : step_(step) {}

  std::string run() {
    try {
      describe();
    } catch (const DescriptionFailure&) {
    }
    return TrimSpaces(out_);
  }

 private:
  const std::string& field(int k) const {
    if (!step_.has(k)) throw DescriptionFailure{};
    return step_.field(k);
  }
  int16_t number(int k) const {
    std::optional<int16_t> value = TryReadInteger(field(k));
    if (!value) throw DescriptionFailure{};
    return *value;
  }
  // "True" / "False" in any letter case, or a number (non-zero is true).
  bool boolean(int k) const {
    std::string text = TrimSpaces(field(k));
    if (EqualsIgnoreCase(text, "True")) return true;
    if (EqualsIgnoreCase(text, "False")) return false;
    std::optional<double> value = ParseNumber(text);
    if (!value) throw DescriptionFailure{};
    return *value != 0;
  }
  void append(std::string_view text) { out_ += text; }

  void describe() {
    const int mode = number(1);
    if (mode < 0 || mode >= static_cast<int>(kModeNames.size())) throw DescriptionFailure{};
    append(kModeNames[mode]);
    append("　");  // U+3000

    const std::string& kind = field(1);
    if (kind == "0") {
      describeReplace();
    } else if (kind == "1") {
      append("設定必要なし");
    } else if (kind == "2") {
      describeHeadTail();
    } else if (kind == "3") {
      append("開始Key ");
      append(field(2));
      append("  終了Key ");
      append(field(3));
    } else if (kind == "4") {
      describeMultiString();
    } else if (kind == "5") {
      describeBlankDelete();
    }
  }

  void describeReplace() {
    if (number(2) != 0) {
      append("置換前文字列 TABｺｰﾄﾞ  ");
    } else if (!field(3).empty()) {
      append("置換前文字列 ");
      append(field(3));
      append("  ");
    }
    if (number(6) != 0) {
      append("置換後文章指定  ");
      return;
    }
    const std::string& replacement = field(4);
    if (replacement == "1") {
      append("置換後文字列 TABｺｰﾄﾞ  ");
    } else if (replacement == "2") {
      append("置換後文字列 Crｺｰﾄﾞ  ");
    } else if (replacement == "3") {
      append("置換後文字列 Lfｺｰﾄﾞ  ");
    } else if (replacement == "4") {
      append("置換後文字列 CrLfｺｰﾄﾞ  ");
    } else {
      append("置換後文字列 ");
      append(field(5));
      append("  ");
    }
  }

  void describeHeadTail() {
    append(number(2) == 0 ? "行頭 " : "行末 ");
    append(field(3));
    append("桁 ");
    const int action = number(4);
    if (action < 0 || action >= static_cast<int>(kHeadTailActions.size())) {
      throw DescriptionFailure{};
    }
    append(kHeadTailActions[action]);
    append("  ");
    if (action == 1) {
      if (number(5) == 0) {
        append("SPACE ");
        append(field(6));
        append("文字");
      } else {
        append("文字列 ");
        append(field(7));
      }
    } else if (action == 2) {
      append("開始 ");
      append(field(8));
      append("  刻み ");
      append(field(9));
    }
  }

  // The condition as the extraction writes it into its result header.
  void describeMultiString() {
    const bool firstIsAnd = boolean(3);
    const bool secondIsAnd = boolean(5);
    append(U32ToUtf8(BuildSearchExpression(Utf8ToU32(field(2)), Utf8ToU32(field(4)),
                                           Utf8ToU32(field(6)), firstIsAnd, secondIsAnd)
                         .text));
  }

  void describeBlankDelete() {
    if (number(2) == 1) {
      append("空白行削除 ");
      if (number(3) == 1) append("SPACEだけの行も対象とする ");
    }
    if (number(4) != 0) append("LeftSP ");
    if (number(5) != 0) append("ALLSP ");
    if (number(6) != 0) append("RightSP ");
  }

  const StepRecord& step_;
  std::string out_;
};

}  // namespace

std::string DescribeStep(const StepRecord& step) {
  return Describer(step).run();
}

}  // namespace kadrel
