#include "settings/option_checks.h"

#include "settings/option_keys.h"
#include "text/case_fold.h"
#include "text/strings.h"
#include "text/utf.h"

namespace kadrel {

namespace {

constexpr const char* kAllFiles = "*.*";
constexpr std::array<const char*, 3> kPatternNameDefaults = {"(No.1)", "(No.2)", "(No.3)"};

int16_t CheckBox(int16_t option) {
  return option != 0 ? 1 : 0;
}

// "*.*" admits no other pattern beside it; the length is counted in characters.
bool AllFilesWithOthers(const std::string& patterns) {
  return patterns.find(kAllFiles) != std::string::npos && CodePointCount(patterns) > 3;
}

bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsFlagText(const std::string& value) {
  const std::string digits = TrimSpaces(value);
  return digits == "0" || digits == "1";
}

MessageBoxRequest OkBox(std::string text, BoxIcon icon) {
  MessageBoxRequest box;
  box.text = std::move(text);
  box.icon = icon;
  box.buttons = BoxButtons::Ok;
  return box;
}

}  // namespace

OptionDialogValues OptionDialogFromOptions(const RunOptions& o) {
  OptionDialogValues v;
  v.TextOptSts = o.SelSts;
  v.CompMode = CheckBox(o.CompMode);
  v.inFrChrBK = o.FstChrBk;
  v.inToChrBK = o.LstChrBk;
  v.inFrChr = o.FstChr;
  v.inToChr = o.LstChr;
  v.UpdateNoFile = CheckBox(o.UpdateNoFile);
  v.BkupEdit = CheckBox(o.BkupEdit);
  v.SelAddSts = CheckBox(o.SelAddSts);
  v.AddLineNo = CheckBox(o.AddLineNo);
  v.SelFile = CheckBox(o.SelFile);
  v.UndoJournal = CheckBox(o.UndoJournal);
  v.TxtPtnName = {o.PtnName1, o.PtnName2, o.PtnName3};
  v.codePage = o.codePage;
  return v;
}

std::string SampleFileName(const std::string& prefix, const std::string& suffix) {
  return prefix + "ABC.txt" + suffix;
}

void ClearOptionDialog(OptionDialogValues& v) {
  v.TextOptSts = kAllFiles;
  v.inFrChrBK.clear();
  v.inFrChr.clear();
  v.inToChrBK = "_BK";
  v.inToChr = "_SEL";
  for (size_t i = 0; i < v.TxtPtnName.size(); ++i) v.TxtPtnName[i] = kPatternNameDefaults[i];
}

OptionCheckResult CheckOptionDialog(OptionDialogValues& v, const RunOptions& current) {
  OptionCheckResult result;
  auto refuse = [&](const char* text) {
    result.messages.push_back(OkBox(text, BoxIcon::Exclamation));
    return result;
  };

  if (TrimSpaces(v.TextOptSts).empty()) {
    result.messages.push_back(OkBox("「全てのファイル」を仮定します", BoxIcon::Exclamation));
    v.TextOptSts = kAllFiles;
  }
  if (AllFilesWithOthers(v.TextOptSts)) {
    return refuse("「全てのファイル(*.*)」の場合、他の指定はできません");
  }
  // Only the pattern ignores blanks: an affix of spaces is an affix.
  if (v.inFrChrBK.empty() && v.inToChrBK.empty()) {
    return refuse("ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字を指定してください");
  }
  if (!IsUsableAffix(v.inFrChrBK) || !IsUsableAffix(v.inToChrBK)) {
    return refuse("ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字に「/」「\\」「..」や制御文字は指定できません");
  }
  if (v.inFrChr.empty() && v.inToChr.empty()) {
    return refuse("抽出結果ﾌｧｲﾙ名付加文字を指定してください");
  }
  if (!IsUsableAffix(v.inFrChr) || !IsUsableAffix(v.inToChr)) {
    return refuse("抽出結果ﾌｧｲﾙ名付加文字に「/」「\\」「..」や制御文字は指定できません");
  }
  for (size_t i = 0; i < v.TxtPtnName.size(); ++i) {
    if (!v.TxtPtnName[i].empty()) continue;
    result.messages.push_back(OkBox(
        "ﾊﾟﾀｰﾝ名称 " + std::to_string(i + 1) + " 番目に初期値を仮定します", BoxIcon::Information));
    v.TxtPtnName[i] = kPatternNameDefaults[i];
  }
  result.resetTargetList = v.TextOptSts != current.SelSts;
  result.accepted = true;
  return result;
}

void StoreOptionDialog(const OptionDialogValues& v, RunOptions& o) {
  o.CompMode = v.CompMode;
  o.SelSts = v.TextOptSts;
  o.FstChrBk = v.inFrChrBK;
  o.LstChrBk = v.inToChrBK;
  o.FstChr = v.inFrChr;
  o.LstChr = v.inToChr;
  o.SelFile = v.SelFile;
  o.SelAddSts = v.SelAddSts;
  o.AddLineNo = v.AddLineNo;
  o.BkupEdit = v.BkupEdit;
  o.UpdateNoFile = v.UpdateNoFile;
  o.UndoJournal = v.UndoJournal;
  o.PtnName1 = v.TxtPtnName[0];
  o.PtnName2 = v.TxtPtnName[1];
  o.PtnName3 = v.TxtPtnName[2];
  o.codePage = v.codePage;
}

bool IsUsableAffix(const std::string& affix) {
  if (affix.find("..") != std::string::npos) return false;
  for (char32_t c : Utf8ToU32(affix)) {
    if (c == U'/' || c == U'\\' || IsControl(c)) return false;
  }
  return true;
}

OptionTextProblem SetRunOptionText(RunOptions& options, const std::string& key,
                                   const std::string& value) {
  if (EqualsIgnoreCase(key, kCodePageKey)) {
    if (value.empty()) {
      options.codePage = RunOptions{}.codePage;
      return OptionTextProblem::None;
    }
    const std::optional<CodePageSetting> cp = ParseCodePageSetting(value);
    if (!cp) return OptionTextProblem::UnknownCodePage;
    options.codePage = *cp;
    return OptionTextProblem::None;
  }
  for (const OptionKey& k : kOptionKeys) {
    if (!EqualsIgnoreCase(key, k.readKey)) continue;
    const std::string text = value.empty() ? k.defaultValue : value;
    switch (k.kind) {
      case OptionKind::Flag:
        if (!IsFlagText(text)) return OptionTextProblem::NotAFlag;
        options.*k.number = TrimSpaces(text) == "1" ? 1 : 0;
        return OptionTextProblem::None;
      case OptionKind::Patterns:
        if (TrimSpaces(text).empty()) return OptionTextProblem::BlankPattern;
        if (AllFilesWithOthers(text)) return OptionTextProblem::AllFilesWithOthers;
        break;
      case OptionKind::Affix:
        if (!IsUsableAffix(text)) return OptionTextProblem::UnusableAffix;
        break;
      case OptionKind::PatternName:
        return OptionTextProblem::UnknownKey;  // names of the window's menus, not run options
    }
    options.*k.text = text;
    return OptionTextProblem::None;
  }
  return OptionTextProblem::UnknownKey;
}

}  // namespace kadrel
