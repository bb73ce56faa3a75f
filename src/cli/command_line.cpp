#include "cli/command_line.h"

#include "cli/quoted_value.h"

namespace kadrel::cli {

namespace {

std::string LongName(const OptionRow& row) {
  return "--" + std::string(row.longName);
}

const OptionRow* ShortOption(char c) {
  for (const OptionRow& row : Options()) {
    if (row.shortName != '\0' && row.shortName == c) return &row;
  }
  return nullptr;
}

struct LongMatch {
  const OptionRow* row = nullptr;
  std::vector<const OptionRow*> candidates;  // more than one: ambiguous
};

// The option named exactly, else the only one whose name begins with name.
LongMatch FindLong(std::string_view name) {
  LongMatch match;
  for (const OptionRow& row : Options()) {
    if (row.longName == name) {
      match.row = &row;
      match.candidates.clear();
      return match;
    }
    if (row.longName.starts_with(name)) match.candidates.push_back(&row);
  }
  if (match.candidates.size() == 1) match.row = match.candidates.front();
  return match;
}

std::string NoSuchOption(const std::string& typed) {
  return QuotedValue(typed) + "というオプションはありません";
}

std::string MissingValue(const OptionUse& use) {
  return "オプション " + NamedAsTyped(use) + " には値を指定してください";
}

class Splitter {
 public:
  explicit Splitter(const std::vector<std::string>& args) : args_(args) {}

  SplitOutcome run() {
    SplitOutcome outcome;
    for (next_ = 0; next_ < args_.size() && error_.empty();) {
      const std::string& arg = args_[next_++];
      if (arg == "--") {
        result_.operandsBeforeSeparator = result_.operands.size();
        result_.operands.insert(result_.operands.end(), args_.begin() + next_, args_.end());
        break;
      }
      if (arg.starts_with("--")) {
        readLong(arg);
      } else if (arg.size() > 1 && arg.front() == '-') {
        readShortCluster(arg);
      } else {
        result_.operands.push_back(arg);  // "-" included: standard input
      }
    }
    outcome.error = std::move(error_);
    outcome.arguments = std::move(result_);
    return outcome;
  }

 private:
  void readLong(const std::string& arg) {
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    OptionUse use;
    use.typed = "--" + name;
    if (name.empty()) {  // "--=x"
      error_ = NoSuchOption(arg);
      return;
    }
    const LongMatch match = FindLong(name);
    if (match.row == nullptr) {
      if (match.candidates.size() > 1) {
        std::string names;
        for (const OptionRow* c : match.candidates)
          names += (names.empty() ? "" : ", ") + LongName(*c);
        error_ =
            "オプション " + ShownText(use.typed) + " はどれのことか決まりません（" + names + "）";
      } else {
        error_ = NoSuchOption(use.typed);
      }
      return;
    }
    use.row = match.row;
    if (!use.row->takesValue()) {
      if (eq != std::string::npos) {
        error_ = "オプション " + NamedAsTyped(use) + " には値を指定できません" + RefusedValue(arg);
        return;
      }
      result_.options.push_back(std::move(use));
    } else {
      take(std::move(use),
           eq != std::string::npos ? std::optional(arg.substr(eq + 1)) : std::nullopt);
    }
  }

  // An option that takes a value: the one attached to it ("--ini=x", "-ox"), else
  // the next argument.
  void take(OptionUse use, std::optional<std::string> attached) {
    if (attached) {
      use.value = std::move(*attached);
    } else if (next_ < args_.size()) {
      use.value = args_[next_++];
    } else {
      error_ = MissingValue(use);
      return;
    }
    result_.options.push_back(std::move(use));
  }

  // "-qn", "-oKEY=VALUE", "-o KEY=VALUE".
  void readShortCluster(const std::string& arg) {
    for (size_t i = 1; i < arg.size(); ++i) {
      OptionUse use;
      use.typed = std::string("-") + arg[i];
      use.row = ShortOption(arg[i]);
      if (use.row == nullptr) {
        error_ = NoSuchOption(use.typed);
        return;
      }
      if (use.row->takesValue()) {
        take(std::move(use), i + 1 < arg.size() ? std::optional(arg.substr(i + 1)) : std::nullopt);
        return;
      }
      result_.options.push_back(std::move(use));
    }
  }

  const std::vector<std::string>& args_;
  size_t next_ = 0;
  Arguments result_;
  std::string error_;
};

}  // namespace

SplitOutcome SplitArguments(const std::vector<std::string>& args) {
  return Splitter(args).run();
}

std::string NamedAsTyped(const OptionUse& use) {
  const std::string shown = ShownText(use.typed);
  if (use.row == nullptr || use.typed.size() < 3 || use.typed == LongName(*use.row)) return shown;
  return shown + "（" + LongName(*use.row) + "）";
}

}  // namespace kadrel::cli
