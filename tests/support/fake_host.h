// The Host of the tests: records every box and progress text, answers boxes from
// a script (or a rule, or else with the box's default), can set the run's cancel
// flag at the n-th yield and tells the test when the run turns to a listed file.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/host.h"

namespace kadrel::test {

class FakeHost : public Host {
 public:
  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override;
  void setProgress(const RunProgress& progress) override;
  void selectTarget(int index) override;
  void showCodePage(const std::string& path, const std::string& codePage) override;

  // Answers for the next boxes, in order; when they run out, answer decides if
  // set, else the box's default.
  std::deque<BoxAnswer> answers;
  std::function<BoxAnswer(const MessageBoxRequest&)> answer;
  // Sets *cancelFlag at the n-th yield (1-based); 0 never.
  void cancelAtYield(std::atomic<bool>* flag, long n) {
    cancelFlag_ = flag;
    cancelAt_ = n;
  }
  // Called when the run marks a listed file as the one it works on.
  std::function<void(int)> onSelect;

  std::vector<MessageBoxRequest> boxes;
  int cancels = 0;  // boxes answered with Cancel
  std::vector<RunProgress> progress;
  std::vector<int> selected;
  std::vector<std::string> codePages;  // "PATH: CODE PAGE", as told
  long yields = 0;

  // The texts of the boxes shown, in order.
  std::vector<std::string> texts() const;

 private:
  std::atomic<bool>* cancelFlag_ = nullptr;
  long cancelAt_ = 0;
};

}  // namespace kadrel::test
