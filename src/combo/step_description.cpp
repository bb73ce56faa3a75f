#include "combo/step_description.h"

#include <optional>
#include <string_view>

#include "combo/mode_names.h"
#include "core/conversions.h"
#include "core/run_error.h"
#include "core/step_fields.h"
#include "core/step_mode.h"
#include "extract/search_expression.h"
#include "text/strings.h"
#include "text/utf.h"

namespace kadrel {

namespace {

// A field that chooses a branch (a flag, an action, a replacement code) is read
// as the run reads it (core/step_fields.h), so that the description says what the
// run will do; a count, a text or a number the description shows is appended as
// written. A reading that would end the run (a missing field, a text that is not
// a number) ends the description: the text so far is the description.
class Describer {
 public:
  explicit Describer(const StepRecord& step) : step_(step) {}

  std::string run() {
    try {
      describe();
    } catch (const RunError&) {
    }
    return TrimSpaces(out_);
  }

 private:
  void append(std::string_view text) { out_ += text; }

  void describe() {
    const std::optional<StepMode> named = ModeOfNumber(ReadInteger(step_.modeText()));
    if (!named) throw MakeRunError(kErrSubscript);
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
        append(step_.field(KeywordRangeField::StartChr));
        append("  終了Key ");
        append(step_.field(KeywordRangeField::EndChr));
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
    if (FlagIsOne(step_.field(F::TrimTab0))) {
      append("置換前文字列 TABｺｰﾄﾞ  ");
    } else if (!step_.field(F::TrimChr).empty()) {
      append("置換前文字列 ");
      append(step_.field(F::TrimChr));
      append("  ");
    }
    if (FlagIsOn(step_.field(F::ReplacementSource))) {
      append("置換後文章指定  ");
      return;
    }
    switch (ReplacementCodeOf(step_.field(F::Replacement))) {
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
        append(step_.field(F::ChangeChr));
        append("  ");
        break;
    }
  }

  void describeEditLineEnds() {
    using F = EditLineEndsField;
    append(FlagIsOn(step_.field(F::Position)) ? "行末 " : "行頭 ");
    append(step_.field(F::ComboCol));
    append("桁 ");
    const int action = ReadInteger(step_.field(F::ComboAct));
    if (action < 0 || action >= kHeadTailActionCount) throw MakeRunError(kErrSubscript);
    append(kHeadTailActions[static_cast<size_t>(action)]);
    append("  ");
    switch (static_cast<HeadTailAction>(action)) {
      case HeadTailAction::Delete:
        break;
      case HeadTailAction::InsertText:
        if (!FlagIsOn(step_.field(F::STRCheck))) {
          append("SPACE ");
          append(step_.field(F::ComboSPCol));
          append("文字");
        } else {
          append("文字列 ");
          append(step_.field(F::ADDText));
        }
        break;
      case HeadTailAction::InsertNumber:
        append("開始 ");
        append(step_.field(F::ComboLineSt));
        append("  刻み ");
        append(step_.field(F::ComboLineSkp));
        break;
    }
  }

  // The condition as the extraction writes it into its result header.
  void describeMatchingLines() {
    using F = MatchingLinesField;
    const bool firstIsAnd = ReadBoolean(step_.field(F::ChkAndOr0));
    const bool secondIsAnd = ReadBoolean(step_.field(F::ChkAndOr1));
    append(U32ToUtf8(BuildSearchExpression(
                         Utf8ToU32(step_.field(F::SrcChr0)), Utf8ToU32(step_.field(F::SrcChr1)),
                         Utf8ToU32(step_.field(F::SrcChr2)), firstIsAnd, secondIsAnd)
                         .text));
  }

  void describeDeleteBlanks() {
    using F = DeleteBlanksField;
    if (FlagIsOn(step_.field(F::LineDel))) {
      append("空白行削除 ");
      if (FlagIsOn(step_.field(F::SPLineDel))) append("SPACEだけの行も対象とする ");
    }
    if (FlagIsOn(step_.field(F::TrimLeft))) append("LeftSP ");
    if (FlagIsOn(step_.field(F::TrimAll))) append("ALLSP ");
    if (FlagIsOn(step_.field(F::TrimRight))) append("RightSP ");
  }

  const StepRecord& step_;
  std::string out_;
};

}  // namespace

std::string DescribeStep(const StepRecord& step) {
  return Describer(step).run();
}

}  // namespace kadrel
