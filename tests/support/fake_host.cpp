#include "support/fake_host.h"

namespace kadrel::test {

BoxAnswer FakeHost::showMessage(const MessageBoxRequest& request) {
  boxes.push_back(request);
  BoxAnswer a = request.defaultAnswer;
  if (!answers.empty()) {
    a = answers.front();
    answers.pop_front();
  } else if (answer) {
    a = answer(request);
  }
  if (a == BoxAnswer::Cancel) ++cancels;
  return a;
}

void FakeHost::yield() {
  ++yields;
  if (cancelFlag_ != nullptr && yields == cancelAt_) cancelFlag_->store(true);
}

void FakeHost::setProgress(const RunProgress& p) {
  progress.push_back(p);
}

void FakeHost::selectTarget(int index) {
  selected.push_back(index);
  if (onSelect) onSelect(index);
}

void FakeHost::showCodePage(const std::string& path, const std::string& codePage) {
  codePages.push_back(path + ": " + codePage);
}

std::vector<std::string> FakeHost::texts() const {
  std::vector<std::string> out;
  for (const auto& b : boxes) out.push_back(b.text);
  return out;
}

}  // namespace kadrel::test
