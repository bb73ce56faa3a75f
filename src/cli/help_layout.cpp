#include "cli/help_layout.h"

namespace kadrel::cli {

std::string OptionLabel(const OptionRow& row) {
  std::string label = row.shortName != '\0' ? std::string("-") + row.shortName + ", " : "    ";
  label += "--" + std::string(row.longName);
  if (row.takesValue()) label += " " + std::string(row.valueName);
  return label;
}

std::string OptionGroupTitle(OptionGroup group) {
  switch (group) {
    case OptionGroup::Replace:
      return "Options of replace";
    case OptionGroup::EditLines:
      return "Options of edit-lines (at the head of each line, or at its end)";
    case OptionGroup::Lines:
      return "Options of lines";
    case OptionGroup::DeleteBlanks:
      return "Options of delete-blanks (any of them together)";
    case OptionGroup::Runs:
      return "Options of every run (operations, -s, -c)";
    case OptionGroup::StepLines:
      return "Step lines and COMBO!! files";
    case OptionGroup::Commands:
      return "Other commands";
  }
  return "";
}

std::vector<std::string> SynopsisForms(const OperationRow& op) {
  std::vector<std::string> forms;
  std::string_view rest = op.synopsis;
  while (true) {
    const size_t end = rest.find('\n');
    forms.push_back(std::string(op.name) + " " + std::string(rest.substr(0, end)));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return forms;
}

std::vector<std::string> WrapText(std::string_view text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(std::move(line));
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
  }
  if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace kadrel::cli
