#include "cli/named_operation.h"

#include <algorithm>

#include "cli/quoted_value.h"
#include "core/conversions.h"
#include "core/step_mode.h"

namespace kadrel::cli {

namespace {

// The largest count a step holds (a 16-bit integer).
constexpr int kMaxCount = 32767;

// Decimal digits only, 0 to kMaxCount.
std::optional<int> ReadCount(const std::string& text) {
  if (text.empty() || text.size() > 5 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int value = std::stoi(text);
  if (value > kMaxCount) return std::nullopt;
  return value;
}

std::string LongName(OptionId id) {
  return "--" + std::string(RowOf(id).longName);
}

// "--a, --b, --c" of the ids.
std::string LongNames(std::initializer_list<OptionId> ids) {
  std::string names;
  for (OptionId id : ids) names += (names.empty() ? "" : ", ") + LongName(id);
  return names;
}

// names followed by a particle: "FROM と TO を", "COMBO!! ファイルを".
std::string WithParticle(const std::string& names, const char* particle) {
  const bool ascii = !names.empty() && static_cast<unsigned char>(names.back()) < 0x80;
  return names + (ascii ? " " : "") + particle;
}

class Builder {
 public:
  explicit Builder(const OperationInput& input) : input_(input) {
    outcome_.page.settings = ModeSettings{};
  }

  OperationOutcome build() {
    switch (input_.operation) {
      case Operation::Replace:
        replace();
        break;
      case Operation::Crlf:
        settings().ModeIdx = ModeNumber(StepMode::ConvertNewline);
        takeArguments(0, 0, "");
        break;
      case Operation::EditLines:
        editLines();
        break;
      case Operation::Range:
        range();
        break;
      case Operation::Lines:
        lines();
        break;
      case Operation::DeleteBlanks:
        deleteBlanks();
        break;
      case Operation::Combo:
        settings().ModeIdx = ModeNumber(StepMode::Combo);
        takeArguments(1, SIZE_MAX, "COMBO!! ファイル", &outcome_.comboFiles);
        break;
      case Operation::None:
        break;
    }
    if (!error_.empty()) {
      OperationOutcome failed;
      failed.error = std::move(error_);
      return failed;
    }
    return std::move(outcome_);
  }

 private:
  ModeSettings& settings() { return outcome_.page.settings; }

  // The last use of the option, or nullptr.
  const OptionUse* last(OptionId id) const {
    const OptionUse* found = nullptr;
    for (const OptionUse& use : *input_.options) {
      if (use.row->id == id) found = &use;
    }
    return found;
  }
  bool has(OptionId id) const { return last(id) != nullptr; }

  // How many of the options are given; an error when more than one is.
  int atMostOne(std::initializer_list<OptionId> ids) {
    const int given = static_cast<int>(
        std::count_if(ids.begin(), ids.end(), [this](OptionId id) { return has(id); }));
    if (given > 1 && error_.empty()) error_ = LongNames(ids) + " はどれか一つだけ指定してください";
    return given;
  }

  // The operation's arguments: count of them before the PATHs, or with "--" after
  // them (where up to max may be given) those before it.
  std::vector<std::string> takeArguments(size_t count, size_t max, const std::string& names,
                                         std::vector<std::string>* into = nullptr) {
    const std::vector<std::string>& operands = input_.operands;
    const std::string& name = std::string(RowOf(input_.operation).name);
    size_t taken = count;
    const std::optional<size_t> separator = input_.operandsBeforeSeparator;
    if (max > count && separator && *separator > 0) {
      taken = *separator;
      if (taken > max) {
        error_ = name + " には " + WithParticle(names, "を") + " " + std::to_string(max) +
                 " 個までしか指定できません（-- の前に " + std::to_string(taken) + " 個）";
        return {};
      }
    }
    if (operands.size() < taken) {
      error_ = name + " には " + WithParticle(names, "を指定してください");
      return {};
    }
    std::vector<std::string> arguments(operands.begin(), operands.begin() + taken);
    outcome_.paths.assign(operands.begin() + taken, operands.end());
    if (into != nullptr) *into = arguments;
    return arguments;
  }

  // The value of a count option, or nothing (with an error) when it is not one.
  std::optional<int> count(OptionId id) {
    const OptionUse* use = last(id);
    if (use == nullptr) return std::nullopt;
    std::optional<int> value = ReadCount(use->value);
    if (!value && error_.empty())
      error_ = NamedAsTyped(*use) + " には 0 から " + std::to_string(kMaxCount) +
               " までの整数を指定してください" + RefusedValue(use->value);
    return value;
  }

  void replace() {
    ModeSettings& s = settings();
    s.ModeIdx = ModeNumber(StepMode::Replace);
    const bool fromTab = has(OptionId::FromTab);
    const bool toCode =
        atMostOne({OptionId::ToTab, OptionId::ToCr, OptionId::ToLf, OptionId::ToCrLf}) > 0;
    if (!error_.empty()) return;
    const size_t wanted = (fromTab ? 0 : 1) + (toCode ? 0 : 1);
    const std::string names = fromTab ? (toCode ? "" : "TO") : (toCode ? "FROM" : "FROM と TO");
    const std::vector<std::string> args = takeArguments(wanted, wanted, names);
    if (!error_.empty()) return;
    s.TrimTab0 = fromTab ? 1 : 0;
    if (!fromTab) s.TrimChr = args.front();
    s.TrimTab1 = has(OptionId::ToTab) ? 1 : 0;
    s.TrimCR1 = has(OptionId::ToCr) || has(OptionId::ToCrLf) ? 1 : 0;
    s.TrimLF1 = has(OptionId::ToLf) || has(OptionId::ToCrLf) ? 1 : 0;
    if (!toCode) s.ChangeChr = args.back();
  }

  void editLines() {
    ModeSettings& s = settings();
    s.ModeIdx = ModeNumber(StepMode::EditLineEnds);
    takeArguments(0, 0, "");
    if (has(OptionId::CutHead) && has(OptionId::CutTail)) {
      error_ = LongName(OptionId::CutHead) + " と " + LongName(OptionId::CutTail) +
               " は一緒に指定できません（行頭と行末は一つずつ実行してください）";
      return;
    }
    const int inserts = atMostOne({OptionId::Insert, OptionId::Spaces, OptionId::Number});
    const OptionId end = has(OptionId::CutTail) ? OptionId::CutTail : OptionId::CutHead;
    const std::optional<int> cut = count(end);
    if (!error_.empty()) return;
    if (inserts == 0 && !cut) {
      error_ = "edit-lines には " +
               LongNames({OptionId::CutHead, OptionId::CutTail, OptionId::Insert, OptionId::Spaces,
                          OptionId::Number}) +
               " のどれかを指定してください";
      return;
    }
    s.Position = end == OptionId::CutTail ? 1 : 0;
    s.ComboCol = std::to_string(cut.value_or(0));
    s.ComboAct = 0;
    s.STRCheck = 0;
    s.ComboSPCol = "0";
    s.ADDText.clear();
    s.ComboLineSt = "1";
    s.ComboLineSkp = "1";
    if (const OptionUse* insert = last(OptionId::Insert)) {
      s.ComboAct = 1;
      s.STRCheck = 1;
      s.ADDText = insert->value;
    } else if (has(OptionId::Spaces)) {
      const std::optional<int> spaces = count(OptionId::Spaces);
      if (!spaces) return;
      s.ComboAct = 1;
      s.ComboSPCol = std::to_string(*spaces);
    } else if (const OptionUse* number = last(OptionId::Number)) {
      s.ComboAct = 2;
      numbering(*number, s);
    }
  }

  // --number START[,STEP[,WIDTH]]: the start as the page writes it (its length is
  // the width) and the increment.
  void numbering(const OptionUse& use, ModeSettings& s) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t comma; (comma = use.value.find(',', start)) != std::string::npos; start = comma + 1)
      parts.push_back(use.value.substr(start, comma - start));
    parts.push_back(use.value.substr(start));
    std::vector<int> values;
    for (const std::string& part : parts) {
      if (std::optional<int> value = ReadCount(part)) values.push_back(*value);
    }
    if (parts.size() > 3 || values.size() != parts.size() ||
        (parts.size() == 3 && values[2] == 0)) {
      error_ = NamedAsTyped(use) + " には START[,STEP[,WIDTH]] の形で 0 から " +
               std::to_string(kMaxCount) + " までの整数を指定してください（WIDTH は 1 以上）" +
               RefusedValue(use.value);
      return;
    }
    s.ComboLineSt = parts[0];
    s.ComboLineSkp = parts.size() > 1 ? parts[1] : "1";
    if (parts.size() == 3) {
      const std::string digits = std::to_string(values[0]);
      const size_t width = static_cast<size_t>(values[2]);
      if (digits.size() > width) {
        error_ = NamedAsTyped(use) + " の WIDTH が START の桁数より小さくなっています" +
                 RefusedValue(use.value);
        return;
      }
      s.ComboLineSt = std::string(width - digits.size(), '0') + digits;
    }
  }

  void range() {
    ModeSettings& s = settings();
    s.ModeIdx = ModeNumber(StepMode::KeywordRange);
    const std::vector<std::string> args = takeArguments(2, 2, "START と END");
    if (!error_.empty()) return;
    s.StartChr = args[0];
    s.EndChr = args[1];
  }

  void lines() {
    ModeSettings& s = settings();
    s.ModeIdx = ModeNumber(StepMode::MatchingLines);
    const std::vector<std::string> words = takeArguments(1, 3, "WORD");
    atMostOne({OptionId::All, OptionId::Any});
    if (!error_.empty()) return;
    s.SrcChr0 = words[0];
    s.SrcChr1 = words.size() > 1 ? words[1] : "";
    s.SrcChr2 = words.size() > 2 ? words[2] : "";
    s.ChkAndOr0 = s.ChkAndOr1 = !has(OptionId::Any);
  }

  void deleteBlanks() {
    ModeSettings& s = settings();
    s.ModeIdx = ModeNumber(StepMode::DeleteBlanks);
    takeArguments(0, 0, "");
    if (!error_.empty()) return;
    const bool blank = has(OptionId::BlankLines);
    s.LineDel = blank || has(OptionId::EmptyLines) ? 1 : 0;
    s.SPLineDel = blank ? 1 : 0;
    s.TrimLeft = has(OptionId::Leading) ? 1 : 0;
    s.TrimAll = has(OptionId::AllSpaces) ? 1 : 0;
    s.TrimRight = has(OptionId::Trailing) ? 1 : 0;
    if (s.LineDel + s.TrimLeft + s.TrimAll + s.TrimRight == 0)
      error_ = "delete-blanks には " +
               LongNames({OptionId::EmptyLines, OptionId::BlankLines, OptionId::Leading,
                          OptionId::Trailing, OptionId::AllSpaces}) +
               " のどれかを指定してください";
  }

  const OperationInput& input_;
  OperationOutcome outcome_;
  std::string error_;
};

}  // namespace

OperationOutcome BuildOperation(const OperationInput& input) {
  return Builder(input).build();
}

}  // namespace kadrel::cli
