#include "run/run_report.h"

#include <algorithm>

namespace kadrel {

size_t RunReport::count(TargetOutcome outcome) const {
  return static_cast<size_t>(std::count_if(
      targets.begin(), targets.end(), [&](const TargetReport& t) { return t.outcome == outcome; }));
}

bool RunReport::clean() const {
  return boxes == 0 && count(TargetOutcome::Failed) == 0 && endedByError.empty() &&
         runProblems.empty();
}

std::string RunReport::summary() const {
  struct Part {
    TargetOutcome outcome;
    const char* name;
  };
  static constexpr Part kParts[] = {
      {TargetOutcome::Replaced, "書き換え"}, {TargetOutcome::Unchanged, "変更なし"},
      {TargetOutcome::Extracted, "抽出"},    {TargetOutcome::Skipped, "スキップ"},
      {TargetOutcome::Failed, "失敗"},       {TargetOutcome::NotReached, "未処理"},
  };
  std::string line = std::to_string(targets.size()) + " ファイル:";
  const char* separator = " ";
  for (const Part& part : kParts) {
    const size_t n = count(part.outcome);
    if (n == 0) continue;
    line += separator + std::string(part.name) + " " + std::to_string(n);
    separator = "、";
  }
  if (cancelled) line += "（中断）";
  if (!endedByError.empty()) line += "（エラーで終了）";
  if (!runProblems.empty()) line += "（ほかに警告 " + std::to_string(runProblems.size()) + " 件）";
  return line;
}

BoxAnswer ReportingHost::showMessage(const MessageBoxRequest& request) {
  ++report_.boxes;
  if (target_ < report_.targets.size() && report_.targets[target_].reason.empty())
    report_.targets[target_].reason = request.text;
  return platform_.showMessage(request);
}

}  // namespace kadrel
