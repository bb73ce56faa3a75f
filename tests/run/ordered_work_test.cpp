// Entries prepared by workers in any order are presented in list order: what
// each showed, the answers to its questions, its in-order part; a stop or an
// error at one entry leaves every entry after it unpresented.
#include "run/ordered_work.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/fake_host.h"

namespace kadrel {
namespace {

MessageBoxRequest Box(const std::string& text, BoxButtons buttons = BoxButtons::Ok) {
  MessageBoxRequest box;
  box.text = text;
  box.buttons = buttons;
  return box;
}

// The calling thread's side: notes every turn's beginning and end among what the
// entries show, in the one order the user sees.
class NotingPresenter : public OrderedWork::Presenter {
 public:
  bool begin(size_t index) override {
    if (onBegin) onBegin(index);
    host_.boxes.push_back(Box("begin " + std::to_string(index)));
    return index != refuseAt;
  }
  Host& host() override { return host_; }
  bool end(size_t index) override {
    host_.boxes.push_back(Box("end " + std::to_string(index)));
    return index != stopAfter;
  }
  void idle() override { ++idles; }

  std::vector<std::string> seen() const { return host_.texts(); }

  test::FakeHost host_;
  std::function<void(size_t)> onBegin;
  size_t stopAfter = static_cast<size_t>(-1);
  size_t refuseAt = static_cast<size_t>(-1);
  int idles = 0;
};

// The order a list of entries is seen in when each shows two boxes and a code page.
std::vector<std::string> InListOrder(size_t count, size_t upTo) {
  std::vector<std::string> seen;
  for (size_t i = 0; i <= upTo && i < count; ++i) {
    const std::string n = std::to_string(i);
    seen.insert(seen.end(), {"begin " + n, n + " a", n + " b", "end " + n});
  }
  return seen;
}

TEST(OrderedWorkTest, WhatEntriesShowComesInListOrderWhateverOrderTheyFinishIn) {
  struct Case {
    size_t workers, ahead;
  } cases[] = {{1, 1}, {2, 1}, {2, 3}, {4, 2}, {8, 100}};
  constexpr size_t kCount = 40;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.workers) + " workers, " + std::to_string(c.ahead) + " ahead");
    std::mutex m;
    std::vector<size_t> inOrder, furthestAhead;
    size_t turn = 0;  // read by the workers to see how far ahead they are
    std::atomic<bool> stop{false};
    auto prepare = [&](size_t i, Host& host, const OrderedWork::InOrder& ordered) {
      {
        std::lock_guard lock(m);
        furthestAhead.push_back(i - std::min(i, turn));
      }
      std::mt19937 random(static_cast<unsigned>(i));
      const auto nap = [&] {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 700));
      };
      nap();
      host.showMessage(Box(std::to_string(i) + " a"));
      EXPECT_TRUE(ordered([&] {
        std::lock_guard lock(m);
        inOrder.push_back(i);
      }));
      nap();
      host.showCodePage("f" + std::to_string(i), "CP932");
      host.showMessage(Box(std::to_string(i) + " b"));
    };
    NotingPresenter turns;
    turns.onBegin = [&](size_t index) {
      std::lock_guard lock(m);
      turn = index;
    };
    OrderedWork::Run(kCount, c.workers, c.ahead, prepare, turns, stop);
    EXPECT_EQ(turns.seen(), InListOrder(kCount, kCount));
    std::vector<std::string> codePages;
    for (size_t i = 0; i < kCount; ++i) codePages.push_back("f" + std::to_string(i) + ": CP932");
    EXPECT_EQ(turns.host_.codePages, codePages);
    std::vector<size_t> expected(kCount);
    for (size_t i = 0; i < kCount; ++i) expected[i] = i;
    EXPECT_EQ(inOrder, expected);
    EXPECT_LE(*std::max_element(furthestAhead.begin(), furthestAhead.end()), c.ahead);
  }
}

// A box that asks waits for its entry's turn and gets the answer given there;
// the entries after it wait for it.
TEST(OrderedWorkTest, AQuestionIsAskedAtItsTurnAndItsAnswerGoesBack) {
  constexpr size_t kCount = 12;
  NotingPresenter presenter;
  presenter.host_.answer = [](const MessageBoxRequest& box) {
    return box.text == "5 ?" ? BoxAnswer::Cancel : BoxAnswer::Ok;
  };
  std::vector<BoxAnswer> answers(kCount);
  std::atomic<bool> stop{false};
  OrderedWork::Run(
      kCount, 4, 8,
      [&](size_t i, Host& host, const OrderedWork::InOrder&) {
        host.showMessage(Box(std::to_string(i) + " a"));
        answers[i] = host.showMessage(Box(std::to_string(i) + " ?", BoxButtons::OkCancel));
        host.showMessage(Box(std::to_string(i) + " b"));
      },
      presenter, stop);
  std::vector<std::string> expected;
  for (size_t i = 0; i < kCount; ++i) {
    const std::string n = std::to_string(i);
    expected.insert(expected.end(), {"begin " + n, n + " a", n + " ?", n + " b", "end " + n});
    EXPECT_EQ(answers[i], i == 5 ? BoxAnswer::Cancel : BoxAnswer::Ok) << i;
  }
  EXPECT_EQ(presenter.seen(), expected);
}

// Stopped at an entry's turn or its end (a cancel), or by an error the entry
// threw: the entries before it are presented, none after it is begun, and the
// workers are all back.
TEST(OrderedWorkTest, AStopOrAnErrorAtOneEntryLeavesTheRestUnpresented) {
  constexpr size_t kCount = 30;
  enum class How { AtItsEnd, AtItsTurn, ByAnError };
  for (size_t at : {size_t{0}, size_t{7}, kCount - 1}) {
    for (How how : {How::AtItsEnd, How::AtItsTurn, How::ByAnError}) {
      SCOPED_TRACE(std::to_string(at) + " " + std::to_string(static_cast<int>(how)));
      NotingPresenter presenter;
      if (how == How::AtItsEnd) presenter.stopAfter = at;
      if (how == How::AtItsTurn) presenter.refuseAt = at;
      std::atomic<bool> stop{false};
      std::atomic<int> running{0};
      auto prepare = [&](size_t i, Host& host, const OrderedWork::InOrder&) {
        ++running;
        host.showMessage(Box(std::to_string(i) + " a"));
        host.showMessage(Box(std::to_string(i) + " b"));
        --running;
        if (how == How::ByAnError && i == at)
          throw std::runtime_error("entry " + std::to_string(i));
      };
      std::vector<std::string> seen = InListOrder(kCount, at);
      if (how == How::ByAnError) {
        EXPECT_THROW(OrderedWork::Run(kCount, 3, 4, prepare, presenter, stop), std::runtime_error);
        seen.pop_back();  // the failing entry is never ended
      } else {
        OrderedWork::Run(kCount, 3, 4, prepare, presenter, stop);
        if (how == How::AtItsTurn) seen.resize(seen.size() - 3);  // begun, nothing passed on
      }
      EXPECT_EQ(presenter.seen(), seen);
      EXPECT_EQ(running.load(), 0);
    }
  }
}

}  // namespace
}  // namespace kadrel
