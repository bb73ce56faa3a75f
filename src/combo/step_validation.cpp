#include "combo/step_validation.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "core/conversions.h"
#include "core/step_mode.h"
#include "extract/wildcard.h"
#include "text/case_fold.h"
#include "text/typed_text.h"

namespace kadrel {

namespace {

// A field read as a number holds no 16-bit number (or is missing).
struct ConversionFailure {};

class StepChecker {
 public:
  StepChecker(Host& host, StepRecord& step, const std::string& lineText, CodePage codePage)
      : host_(host), step_(step), lineText_(lineText), codePage_(codePage) {}

  StepCheck run() {
    try {
      checkStep();
    } catch (const ConversionFailure&) {
      problem("設定内容に誤まりがあります", lineText_);
    }
    return result();
  }

  StepCheck runOnText(const std::string& text, std::string_view name) {
    writable(text, name);
    return result();
  }

 private:
  enum class Status { Clean, Reported, Cancelled };

  StepCheck result() const {
    switch (status_) {
      case Status::Clean:
        return StepCheck::Valid;
      case Status::Cancelled:
        return StepCheck::Cancelled;
      case Status::Reported:
        break;
    }
    return StepCheck::Invalid;
  }

  template <typename Name>
  int16_t number(Name name) const {
    const int k = static_cast<int>(name);
    if (!step_.has(k)) throw ConversionFailure{};
    std::optional<int16_t> value = TryReadInteger(step_.field(k));
    if (!value) throw ConversionFailure{};
    return *value;
  }
  template <typename Name>
  bool isEmpty(Name name) const {
    return step_.field(name).empty();
  }
  static bool isZeroOrOne(int value) { return value == 0 || value == 1; }

  // Reports a problem with OK and Cancel; false when the user chose Cancel and
  // checking must stop.
  bool problem(std::string_view message, const std::string& value = {}) {
    status_ = Status::Reported;
    MessageBoxRequest box;
    box.text = std::string(message);
    if (!value.empty()) box.text += " [ " + value + " ]";
    box.icon = BoxIcon::Exclamation;
    box.buttons = BoxButtons::OkCancel;
    box.defaultAnswer = BoxAnswer::Ok;
    if (host_.showMessage(box) == BoxAnswer::Cancel) {
      status_ = Status::Cancelled;
      return false;
    }
    return true;
  }
  bool problem(std::string_view message, int value) {
    return problem(message, FormatInteger(value));
  }

  // A text of the step: every character one that the code page can hold, once
  // typed text has met the code page's own characters (as the run takes it).
  bool writable(const std::string& text, std::string_view name) {
    std::optional<char32_t> c = FirstUnwritable(TypedText(text, codePage_), codePage_);
    return !c || problem(Quoted(name) + "に " + UnwritableText(codePage_), CharacterForMessage(*c));
  }
  // A keyword of an extraction step: a well-formed pattern both as written and
  // upper-cased, since the case option may change after a COMBO!! file was loaded.
  template <typename Name>
  bool wellFormedPattern(Name field, std::string_view name) {
    const std::u32string keyword = TypedText(step_.field(field), codePage_);
    PatternIssue issue;
    if (WildcardPattern::compile(keyword, &issue) &&
        WildcardPattern::compile(ToUpper(keyword), &issue)) {
      return true;
    }
    return problem(Quoted(name) + "の指定に誤まりがあります（" + PatternIssueText(issue) + "）",
                   step_.field(field));
  }
  // An extraction keyword: a pattern, and written in the result file's header.
  template <typename Name>
  bool keyword(Name field, std::string_view name) {
    return wellFormedPattern(field, name) && writable(step_.field(field), name);
  }
  static std::string Quoted(std::string_view name) { return "「" + std::string(name) + "」"; }

  // The field count box has OK only and always ends the checks.
  bool fieldCountMatches(StepMode mode) {
    const int expected = StepFieldCount(mode);
    if (step_.size() == expected) return true;
    status_ = Status::Reported;
    MessageBoxRequest box;
    box.text = "引数の数に誤まりが有ります  正 [ " + FormatInteger(expected - 1) + " ] 誤 [ " +
               FormatInteger(step_.size() - 1) + " ]\r[ " + lineText_ + " ]";
    box.icon = BoxIcon::Exclamation;
    box.buttons = BoxButtons::Ok;
    host_.showMessage(box);
    return false;
  }

  void checkStep() {
    const int number1 = number(1);
    const std::optional<StepMode> mode = ModeOfNumber(number1);
    if (!mode || *mode == StepMode::Combo) {
      problem("処理区分に誤まりがあります", number1);
      return;
    }
    if (!fieldCountMatches(*mode) || !withoutLineBreaks(*mode)) return;
    switch (*mode) {
      case StepMode::Replace:
        checkReplace();
        break;
      case StepMode::EditLineEnds:
        checkEditLineEnds();
        break;
      case StepMode::KeywordRange:
        checkKeywordRange();
        break;
      case StepMode::MatchingLines:
        checkMatchingLines();
        break;
      case StepMode::DeleteBlanks:
        checkDeleteBlanks();
        break;
      default:  // line-ending conversion has nothing beyond its field count
        break;
    }
  }

  // A field of a step line never holds a CR or an LF (line ends to find or put
  // in are the codes of fields 2 and 4 of a replacement): one typed on a command
  // line is refused, field by field. False when one was: the step is refused,
  // and its other checks would only show texts broken over lines.
  bool withoutLineBreaks(StepMode mode) {
    bool clean = true;
    for (int k = 2; k <= step_.size(); ++k) {
      if (step_.field(k).find_first_of("\r\n") == std::string::npos) continue;
      clean = false;
      if (!problem(Quoted(FieldCaption(mode, k)) + "に改行コード（CR・LF）は指定できません")) break;
    }
    return clean;
  }

  // The name of field k of a step of mode as the boxes give it.
  static std::string FieldCaption(StepMode mode, int k) {
    switch (mode) {
      case StepMode::Replace:
        if (k == static_cast<int>(ReplaceField::TrimChr)) return "置換前文字列";
        if (k == static_cast<int>(ReplaceField::ChangeChr)) return "置換後文字列";
        break;
      case StepMode::EditLineEnds:
        if (k == static_cast<int>(EditLineEndsField::ADDText)) return "挿入文字列";
        break;
      case StepMode::KeywordRange:
        if (k == static_cast<int>(KeywordRangeField::StartChr)) return "開始ｷｰﾜｰﾄﾞ文字列";
        if (k == static_cast<int>(KeywordRangeField::EndChr)) return "終了ｷｰﾜｰﾄﾞ文字列";
        break;
      case StepMode::MatchingLines:
        if (k == static_cast<int>(MatchingLinesField::SrcChr0)) return "検索文字列1";
        if (k == static_cast<int>(MatchingLinesField::SrcChr1)) return "検索文字列2";
        if (k == static_cast<int>(MatchingLinesField::SrcChr2)) return "検索文字列3";
        break;
      default:
        break;
    }
    return "項目" + FormatInteger(k);
  }

  void checkReplace() {
    using F = ReplaceField;
    if (number(F::TrimTab0) == 0 && isEmpty(F::TrimChr) &&
        !problem("置換前文字列が指定されていません")) {
      return;
    }
    if (int find = number(F::TrimTab0);
        !isZeroOrOne(find) && !problem("置換前TABｺｰﾄﾞ指定に誤まりがあります", find)) {
      return;
    }
    if (int code = number(F::Replacement); (code < static_cast<int>(ReplacementCode::Text) ||
                                            code > static_cast<int>(ReplacementCode::CrLf)) &&
                                           !problem("置換後TABｺｰﾄﾞ指定に誤まりがあります", code)) {
      return;
    }
    if (number(F::TrimTab0) == 0 && !writable(step_.field(F::TrimChr), "置換前文字列")) return;
    if (number(F::Replacement) == static_cast<int>(ReplacementCode::Text) &&
        !writable(step_.field(F::ChangeChr), "置換後文字列")) {
      return;
    }
    // The replacement comes from fields 4 and 5, never from the window's text.
    step_.add("0");
  }

  void checkEditLineEnds() {
    using F = EditLineEndsField;
    if (int position = number(F::Position);
        !isZeroOrOne(position) && !problem("行頭・行末区分に誤まりがあります", position)) {
      return;
    }
    if (int columns = number(F::ComboCol);
        columns < 0 && !problem("桁数に誤まりがあります", columns)) {
      return;
    }
    const int action = number(F::ComboAct);
    switch (static_cast<HeadTailAction>(action)) {
      case HeadTailAction::Delete:
        return;
      case HeadTailAction::InsertText:
        if (int kind = number(F::STRCheck); !isZeroOrOne(kind)) {
          problem("文字列設定に誤まりがあります", kind);
        } else if (kind == 1) {
          writable(step_.field(F::ADDText), "挿入文字列");
        }
        return;
      case HeadTailAction::InsertNumber:
        if (int start = number(F::ComboLineSt);
            start < 0 && !problem("付番（開始）に誤まりがあります", start)) {
          return;
        }
        if (int skip = number(F::ComboLineSkp); skip < 0) {
          problem("付番（刻み）に誤まりがあります", skip);
        }
        return;
    }
    problem("処理内容に誤まりがあります", action);
  }

  void checkKeywordRange() {
    using F = KeywordRangeField;
    if (isEmpty(F::StartChr) && !problem("開始ｷｰﾜｰﾄﾞ文字列を指定してください")) return;
    if (isEmpty(F::EndChr) && !problem("終了ｷｰﾜｰﾄﾞ文字列を指定してください")) return;
    if (!keyword(F::StartChr, "開始ｷｰﾜｰﾄﾞ文字列")) return;
    keyword(F::EndChr, "終了ｷｰﾜｰﾄﾞ文字列");
  }

  void checkMatchingLines() {
    using F = MatchingLinesField;
    if (isEmpty(F::SrcChr0) && isEmpty(F::SrcChr1) && isEmpty(F::SrcChr2) &&
        !problem("検索文字列を指定してください")) {
      return;
    }
    static constexpr std::pair<F, std::string_view> kStrings[] = {
        {F::SrcChr0, "検索文字列1"}, {F::SrcChr1, "検索文字列2"}, {F::SrcChr2, "検索文字列3"}};
    for (const auto& [field, name] : kStrings)
      if (!keyword(field, name)) return;
    // The run reads both operators, whichever strings are set.
    for (F field : {F::ChkAndOr0, F::ChkAndOr1}) {
      if (!TryReadBoolean(step_.field(field)) &&
          !problem("AND/OR指定に誤まりがあります", step_.field(field))) {
        return;
      }
    }
  }

  void checkDeleteBlanks() {
    using F = DeleteBlanksField;
    static constexpr std::pair<F, std::string_view> kChecks[] = {
        {F::LineDel, "空白行削除指定に誤まりがあります"},
        {F::SPLineDel, "SPACE行対象指定に誤まりがあります"},
        {F::TrimLeft, "空白文字削除（左）指定に誤まりがあります"},
        {F::TrimAll, "空白文字削除（全）指定に誤まりがあります"},
        {F::TrimRight, "空白文字削除（右）指定に誤まりがあります"},
    };
    for (const auto& [field, message] : kChecks) {
      if (int value = number(field); !isZeroOrOne(value) && !problem(message, value)) return;
    }
    // Lines of spaces only is a qualifier, not an action of its own.
    if (number(F::LineDel) + number(F::TrimLeft) + number(F::TrimAll) + number(F::TrimRight) == 0) {
      problem("処理が指定されていません");
    }
  }

  Host& host_;
  StepRecord& step_;
  const std::string& lineText_;
  CodePage codePage_;
  Status status_ = Status::Clean;
};

}  // namespace

StepCheck ValidateStep(Host& host, StepRecord& step, const std::string& lineText,
                       CodePage codePage) {
  return StepChecker(host, step, lineText, codePage).run();
}

StepCheck ValidateMultiLineReplacement(Host& host, const std::string& text, CodePage codePage) {
  StepRecord none;
  return StepChecker(host, none, "", codePage).runOnText(text, "置換後文章");
}

}  // namespace kadrel
