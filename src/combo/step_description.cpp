#include "combo/step_description.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "combo/mode_names.h"
#include "core/conversions.h"
#include "core/step_mode.h"
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
  template <typename Name>
  const std::string& field(Name name) const {
    if (!step_.has(static_cast<int>(name))) throw DescriptionFailure{};
    return step_.field(name);
  }
  template <typename Name>
  int16_t number(Name name) const {
    std::optional<int16_t> value = TryReadInteger(field(name));
    if (!value) throw DescriptionFailure{};
    return *value;
  }
  // "True" / "False" in any letter case, or a number (non-zero is true).
  template <typename Name>
  bool boolean(Name name) const {
    std::string text = TrimSpaces(field(name));
    if (EqualsIgnoreCase(text, "True")) return true;
    if (EqualsIgnoreCase(text, "False")) return false;
    std::optional<double> value = ParseNumber(text);
    if (!value) throw DescriptionFailure{};
    return *value != 0;
  }
  void append(std::string_view text) { out_ += text; }

  void describe() {
    const std::optional<StepMode> named = ModeOfNumber(number(1));
    if (!named) throw DescriptionFailure{};
    append(kModeNames[static_cast<size_t>(ModeNumber(*named))]);
    append("　");  // U+3000

    // The settings follow field 1's exact text, as a COMBO!! run takes it.
    const std::optional<StepMode> mode = ModeOfExactText(step_.modeText());
    if (!mode) return;
    switch (*mode) {
      case StepMode::Replace:
        describeReplace();
        break;
      case StepMode::ConvertNewline:
        append("設定必要なし");
        break;
      case StepMode::EditLineEnds:
        describeEditLineEnds();
        break;
      case StepMode::KeywordRange:
        append("開始Key ");
        append(field(KeywordRangeField::StartChr));
        append("  終了Key ");
        append(field(KeywordRangeField::EndChr));
        break;
      case StepMode::MatchingLines:
        describeMatchingLines();
        break;
      case StepMode::DeleteBlanks:
        describeDeleteBlanks();
        break;
      case StepMode::Combo:
        break;
    }
  }

  void describeReplace() {
    using F = ReplaceField;
    if (number(F::TrimTab0) != 0) {
      append("置換前文字列 TABｺｰﾄﾞ  ");
    } else if (!field(F::TrimChr).empty()) {
      append("置換前文字列 ");
      append(field(F::TrimChr));
      append("  ");
    }
    if (number(F::ReplacementSource) != 0) {
      append("置換後文章指定  ");
      return;
    }
    switch (ReplacementCodeOf(field(F::Replacement))) {
      case ReplacementCode::Tab:
        append("置換後文字列 TABｺｰﾄﾞ  ");
        break;
      case ReplacementCode::Cr:
        append("置換後文字列 Crｺｰﾄﾞ  ");
        break;
      case ReplacementCode::Lf:
        append("置換後文字列 Lfｺｰﾄﾞ  ");
        break;
      case ReplacementCode::CrLf:
        append("置換後文字列 CrLfｺｰﾄﾞ  ");
        break;
      case ReplacementCode::Text:
        append("置換後文字列 ");
        append(field(F::ChangeChr));
        append("  ");
        break;
    }
  }

  void describeEditLineEnds() {
    using F = EditLineEndsField;
    append(number(F::Position) == 0 ? "行頭 " : "行末 ");
    append(field(F::ComboCol));
    append("桁 ");
    const int action = number(F::ComboAct);
    if (action < 0 || action >= kHeadTailActionCount) throw DescriptionFailure{};
    append(kHeadTailActions[static_cast<size_t>(action)]);
    append("  ");
    switch (static_cast<HeadTailAction>(action)) {
      case HeadTailAction::Delete:
        break;
      case HeadTailAction::InsertText:
        if (number(F::STRCheck) == 0) {
          append("SPACE ");
          append(field(F::ComboSPCol));
          append("文字");
        } else {
          append("文字列 ");
          append(field(F::ADDText));
        }
        break;
      case HeadTailAction::InsertNumber:
        append("開始 ");
        append(field(F::ComboLineSt));
        append("  刻み ");
        append(field(F::ComboLineSkp));
        break;
    }
  }

  // The condition as the extraction writes it into its result header.
  void describeMatchingLines() {
    using F = MatchingLinesField;
    const bool firstIsAnd = boolean(F::ChkAndOr0);
    const bool secondIsAnd = boolean(F::ChkAndOr1);
    append(
        U32ToUtf8(BuildSearchExpression(Utf8ToU32(field(F::SrcChr0)), Utf8ToU32(field(F::SrcChr1)),
                                        Utf8ToU32(field(F::SrcChr2)), firstIsAnd, secondIsAnd)
                      .text));
  }

  void describeDeleteBlanks() {
    using F = DeleteBlanksField;
    if (number(F::LineDel) == 1) {
      append("空白行削除 ");
      if (number(F::SPLineDel) == 1) append("SPACEだけの行も対象とする ");
    }
    if (number(F::TrimLeft) != 0) append("LeftSP ");
    if (number(F::TrimAll) != 0) append("ALLSP ");
    if (number(F::TrimRight) != 0) append("RightSP ");
  }

  const StepRecord& step_;
  std::string out_;
};

}  // namespace

std::string DescribeStep(const StepRecord& step) {
  return Describer(step).run();
}

}  // namespace kadrel
