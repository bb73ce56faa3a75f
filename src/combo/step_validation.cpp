#include "combo/step_validation.h"

#include <cstdint>
#include <string_view>

#include "core/conversions.h"
#include "core/text/case_fold.h"
#include "core/text/typed_text.h"
#include "extract/wildcard.h"

namespace kadrel {

int StepFieldCount(int mode) {
  static constexpr int kCounts[] = {5, 1, 9, 3, 6, 6};
  return mode >= 0 && mode <= 5 ? kCounts[mode] : 0;
}

namespace {

// A field read as a number holds no 16-bit number (or is missing).
struct ConversionFailure {};

class StepChecker {
 public:
  StepChecker(Host& host, StepRecord& step, const std::string& lineText, CodePage codePage)
      : host_(host), step_(step), lineText_(lineText), codePage_(codePage) {}

  int run() {
    try {
      checkStep();
    } catch (const ConversionFailure&) {
      problem("設定内容に誤まりがあります", lineText_);
    }
    return result();
  }

  int runOnText(const std::string& text, std::string_view name) {
    writable(text, name);
    return result();
  }

 private:
  enum class Status { Clean, Reported, Cancelled };

  int result() const {
    switch (status_) {
      case Status::Clean:
        return kStepValid;
      case Status::Cancelled:
        return kStepCancelled;
      case Status::Reported:
        break;
    }
    return kStepInvalid;
  }

  int16_t number(int k) const {
    if (!step_.has(k)) throw ConversionFailure{};
    std::optional<int16_t> value = TryReadInteger(step_.field(k));
    if (!value) throw ConversionFailure{};
    return *value;
  }
  bool isEmpty(int k) const { return step_.field(k).empty(); }
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
  bool wellFormedPattern(int k, std::string_view name) {
    const std::u32string keyword = TypedText(step_.field(k), codePage_);
    PatternIssue issue;
    if (WildcardPattern::compile(keyword, &issue) &&
        WildcardPattern::compile(ToUpper(keyword), &issue)) {
      return true;
    }
    return problem(Quoted(name) + "の指定に誤まりがあります（" + PatternIssueText(issue) + "）",
                   step_.field(k));
  }
  // An extraction keyword: a pattern, and written in the result file's header.
  bool keyword(int k, std::string_view name) {
    return wellFormedPattern(k, name) && writable(step_.field(k), name);
  }
  static std::string Quoted(std::string_view name) { return "「" + std::string(name) + "」"; }

  // The field count box has OK only and always ends the checks.
  bool fieldCountMatches(int mode) {
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
    const int mode = number(1);
    if (mode < 0 || mode > 5) {
      problem("処理区分に誤まりがあります", mode);
      return;
    }
    if (!fieldCountMatches(mode)) return;
    switch (mode) {
      case 0:
        checkReplace();
        break;
      case 2:
        checkHeadTail();
        break;
      case 3:
        checkKeywordRange();
        break;
      case 4:
        checkMultiString();
        break;
      case 5:
        checkBlankDelete();
        break;
      default:  // mode 1 has nothing beyond its field count
        break;
    }
  }

  void checkReplace() {
    if (number(2) == 0 && isEmpty(3) && !problem("置換前文字列が指定されていません")) return;
    if (int find = number(2);
        !isZeroOrOne(find) && !problem("置換前TABｺｰﾄﾞ指定に誤まりがあります", find)) {
      return;
    }
    if (int kind = number(4);
        (kind < 0 || kind > 4) && !problem("置換後TABｺｰﾄﾞ指定に誤まりがあります", kind)) {
      return;
    }
    if (number(2) == 0 && !writable(step_.field(3), "置換前文字列")) return;
    if (number(4) == 0 && !writable(step_.field(5), "置換後文字列")) return;
    // The replacement comes from fields 4 and 5, never from the window's text.
    step_.add("0");
  }

  void checkHeadTail() {
    if (int position = number(2);
        !isZeroOrOne(position) && !problem("行頭・行末区分に誤まりがあります", position)) {
      return;
    }
    if (int columns = number(3); columns < 0 && !problem("桁数に誤まりがあります", columns)) {
      return;
    }
    const int action = number(4);
    if (action == 0) return;
    if (action == 1) {
      if (int kind = number(5); !isZeroOrOne(kind)) {
        problem("文字列設定に誤まりがあります", kind);
      } else if (kind == 1) {
        writable(step_.field(7), "挿入文字列");
      }
      return;
    }
    if (action == 2) {
      if (int start = number(8); start < 0 && !problem("付番（開始）に誤まりがあります", start)) {
        return;
      }
      if (int skip = number(9); skip < 0) problem("付番（刻み）に誤まりがあります", skip);
      return;
    }
    problem("処理内容に誤まりがあります", action);
  }

  void checkKeywordRange() {
    if (isEmpty(2) && !problem("開始ｷｰﾜｰﾄﾞ文字列を指定してください")) return;
    if (isEmpty(3) && !problem("終了ｷｰﾜｰﾄﾞ文字列を指定してください")) return;
    if (!keyword(2, "開始ｷｰﾜｰﾄﾞ文字列")) return;
    keyword(3, "終了ｷｰﾜｰﾄﾞ文字列");
  }

  void checkMultiString() {
    if (isEmpty(2) && isEmpty(4) && isEmpty(6) && !problem("検索文字列を指定してください")) return;
    static constexpr std::pair<int, std::string_view> kStrings[] = {
        {2, "検索文字列1"}, {4, "検索文字列2"}, {6, "検索文字列3"}};
    for (const auto& [k, name] : kStrings)
      if (!keyword(k, name)) return;
    // The run reads both operators, whichever strings are set.
    for (int k : {3, 5}) {
      if (!TryReadBoolean(step_.field(k)) &&
          !problem("AND/OR指定に誤まりがあります", step_.field(k))) {
        return;
      }
    }
  }

  void checkBlankDelete() {
    static constexpr std::string_view kMessages[] = {
        "空白行削除指定に誤まりがあります",         "SPACE行対象指定に誤まりがあります",
        "空白文字削除（左）指定に誤まりがあります", "空白文字削除（全）指定に誤まりがあります",
        "空白文字削除（右）指定に誤まりがあります",
    };
    for (int k = 2; k <= 6; ++k) {
      if (int value = number(k); !isZeroOrOne(value) && !problem(kMessages[k - 2], value)) return;
    }
    // Lines of spaces only (field 3) is a qualifier, not an action of its own.
    if (number(2) + number(4) + number(5) + number(6) == 0) problem("処理が指定されていません");
  }

  Host& host_;
  StepRecord& step_;
  const std::string& lineText_;
  CodePage codePage_;
  Status status_ = Status::Clean;
};

}  // namespace

int ValidateStep(Host& host, StepRecord& step, const std::string& lineText, CodePage codePage) {
  return StepChecker(host, step, lineText, codePage).run();
}

int ValidateMultiLineReplacement(Host& host, const std::string& text, CodePage codePage) {
  StepRecord none;
  return StepChecker(host, none, "", codePage).runOnText(text, "置換後文章");
}

}  // namespace kadrel
