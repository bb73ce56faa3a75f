#include "settings/pattern_messages.h"

#include <stdexcept>

namespace kadrel {

const std::string& PatternName(const RunOptions& options, int index) {
  switch (index) {
    case 1:
      return options.PtnName1;
    case 2:
      return options.PtnName2;
    case 3:
      return options.PtnName3;
  }
  throw std::invalid_argument("pattern index");
}

MessageBoxRequest PatternReadConfirmation(const std::string& name) {
  MessageBoxRequest box;
  box.text = name + " パターン設定を読込みます　よろしいですか？";
  box.icon = BoxIcon::Information;
  box.buttons = BoxButtons::YesNo;
  box.defaultAnswer = BoxAnswer::Yes;
  return box;
}

MessageBoxRequest PatternSaveConfirmation(const std::string& name) {
  MessageBoxRequest box;
  box.text = "現在の設定を " + name +
             " パターンとし、記憶します\rパターン設定は上書きされますがよろしいですか？";
  box.icon = BoxIcon::Exclamation;
  box.buttons = BoxButtons::YesNo;
  box.defaultAnswer = BoxAnswer::No;
  return box;
}

}  // namespace kadrel
