#include "support/fake_host.h"

namespace kadrel::test {

BoxAnswer FakeHost::showMessage(const MessageBoxRequest& request) {
  boxes.push_back(request);
  if (!answers.empty()) {
    BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return request.defaultAnswer;
}

void FakeHost::yield() {
  ++yields;
  if (cancelFlag_ != nullptr && yields == cancelAt_) cancelFlag_->store(true);
}

void FakeHost::setProgress(const RunProgress& p) {
  progress.push_back(p);
}

std::vector<std::string> FakeHost::texts() const {
  std::vector<std::string> out;
  for (const auto& b : boxes) out.push_back(b.text);
  return out;
}

}  // namespace kadrel::test
