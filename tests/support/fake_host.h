// A Host for tests: records every box and progress text, answers boxes from a
// script (default: OK / Yes), and can set the run's cancel flag at the n-th yield.
#pragma once

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "core/host.h"

namespace kadrel::test {

class FakeHost : public Host {
 public:
  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override;
  void setProgress(const RunProgress& progress) override;
  void selectTarget(int index) override { selected.push_back(index); }

  // Answers for the next boxes, in order; when they run out, the box's default.
  std::deque<BoxAnswer> answers;
  // Sets *cancelFlag at the n-th yield (1-based); 0 never.
  void cancelAtYield(std::atomic<bool>* flag, long n) {
    cancelFlag_ = flag;
    cancelAt_ = n;
  }

  std::vector<MessageBoxRequest> boxes;
  std::vector<RunProgress> progress;
  std::vector<int> selected;
  long yields = 0;

  // The texts of the boxes shown, in order.
  std::vector<std::string> texts() const;

 private:
  std::atomic<bool>* cancelFlag_ = nullptr;
  long cancelAt_ = 0;
};

}  // namespace kadrel::test
