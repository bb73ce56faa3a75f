#include "run/ordered_work.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kadrel {

namespace {

// How often the turn, waiting for a worker, lets the program respond.
constexpr auto kIdleEvery = std::chrono::milliseconds(10);

// Something an entry showed.
struct Shown {
  enum Kind { Box, CodePage, Progress, Select };
  Kind kind = Box;
  MessageBoxRequest box;
  std::string path, codePage;
  RunProgress progress;
  int select = 0;
};

struct EntryState {
  std::vector<Shown> shown;  // not yet passed on
  bool asking = false;       // shown ends with a box that waits for its answer
  std::optional<BoxAnswer> answer;
  bool done = false;
  bool passedInOrder = false;
  std::exception_ptr error;
};

struct Shared {
  Shared(size_t count, size_t ahead) : entries(count), ahead(ahead) {}

  std::mutex m;
  std::condition_variable changed;
  std::vector<EntryState> entries;
  const size_t ahead;
  size_t next = 0;         // the next entry a worker takes
  size_t turn = 0;         // the entry whose turn it is
  size_t inOrderNext = 0;  // the first entry that has not passed its in-order part
  bool stopping = false;

  // Past every entry that has passed its in-order part; the lock is held.
  void advanceInOrder() {
    while (inOrderNext < entries.size() && entries[inOrderNext].passedInOrder) ++inOrderNext;
  }
};

// The host of an entry being prepared: holds what it shows for its turn.
class EntryHost : public Host {
 public:
  EntryHost(Shared& s, size_t index) : s_(s), index_(index) {}

  BoxAnswer showMessage(const MessageBoxRequest& request) override {
    std::unique_lock lock(s_.m);
    EntryState& e = s_.entries[index_];
    Shown box;
    box.box = request;
    e.shown.push_back(std::move(box));
    if (request.buttons == BoxButtons::Ok) {
      s_.changed.notify_all();
      return BoxAnswer::Ok;
    }
    // A question waits for the entry's turn, and its answer.
    e.asking = true;
    s_.changed.notify_all();
    s_.changed.wait(lock, [&] { return e.answer.has_value() || s_.stopping; });
    e.asking = false;
    const BoxAnswer answer =
        e.answer.value_or(request.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Cancel);
    e.answer.reset();
    return answer;
  }
  // A worker does not pump the program's events: the turn does.
  void yield() override {}
  void setProgress(const RunProgress& progress) override {
    Shown shown;
    shown.kind = Shown::Progress;
    shown.progress = progress;
    add(std::move(shown));
  }
  void selectTarget(int index) override {
    Shown shown;
    shown.kind = Shown::Select;
    shown.select = index;
    add(std::move(shown));
  }
  void showCodePage(const std::string& path, const std::string& codePage) override {
    Shown shown;
    shown.kind = Shown::CodePage;
    shown.path = path;
    shown.codePage = codePage;
    add(std::move(shown));
  }

 private:
  void add(Shown shown) {
    std::lock_guard lock(s_.m);
    s_.entries[index_].shown.push_back(std::move(shown));
    s_.changed.notify_all();
  }

  Shared& s_;
  const size_t index_;
};

void Work(Shared& s, const OrderedWork::Prepare& prepare) {
  for (;;) {
    size_t index;
    {
      std::unique_lock lock(s.m);
      s.changed.wait(lock, [&] {
        return s.stopping || s.next >= s.entries.size() || s.next < s.turn + s.ahead;
      });
      if (s.stopping || s.next >= s.entries.size()) return;
      index = s.next++;
    }
    EntryHost host(s, index);
    const OrderedWork::InOrder inOrder = [&](const std::function<void()>& fn) {
      {
        std::unique_lock lock(s.m);
        s.changed.wait(lock, [&] { return s.stopping || s.inOrderNext == index; });
        if (s.stopping) return false;
      }
      fn();
      std::lock_guard lock(s.m);
      s.entries[index].passedInOrder = true;
      s.advanceInOrder();
      s.changed.notify_all();
      return true;
    };
    std::exception_ptr error;
    try {
      prepare(index, host, inOrder);
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard lock(s.m);
    EntryState& e = s.entries[index];
    e.error = error;
    e.passedInOrder = true;
    s.advanceInOrder();
    e.done = true;
    s.changed.notify_all();
  }
}

// Passes on what an entry showed; the answer of a box it waits on goes back to it.
void PassOn(Shared& s, size_t index, std::vector<Shown>& shown, bool asking, Host& host) {
  for (size_t k = 0; k < shown.size(); ++k) {
    const Shown& item = shown[k];
    switch (item.kind) {
      case Shown::Box: {
        const BoxAnswer answer = host.showMessage(item.box);
        if (asking && k + 1 == shown.size()) {
          std::lock_guard lock(s.m);
          s.entries[index].answer = answer;
          s.changed.notify_all();
        }
        break;
      }
      case Shown::CodePage:
        host.showCodePage(item.path, item.codePage);
        break;
      case Shown::Progress:
        host.setProgress(item.progress);
        break;
      case Shown::Select:
        host.selectTarget(item.select);
        break;
    }
  }
}

// The workers, stopped and joined however the turns end.
class Workers {
 public:
  Workers(Shared& s, size_t count, const OrderedWork::Prepare& prepare) : s_(s) {
    for (size_t k = 0; k < count; ++k) threads_.emplace_back([&s, &prepare] { Work(s, prepare); });
  }
  ~Workers() {
    {
      std::lock_guard lock(s_.m);
      s_.stopping = true;
      s_.changed.notify_all();
    }
    for (std::thread& t : threads_) t.join();
  }

 private:
  Shared& s_;
  std::vector<std::thread> threads_;
};

}  // namespace

void OrderedWork::Run(size_t count, size_t workers, size_t ahead, const Prepare& prepare,
                      Presenter& presenter, const std::atomic<bool>& stop) {
  if (count == 0) return;
  Shared s(count, std::max<size_t>(ahead, 1));
  Workers pool(s, std::clamp<size_t>(workers, 1, count), prepare);
  for (size_t turn = 0; turn < count; ++turn) {
    {
      std::lock_guard lock(s.m);
      s.turn = turn;
      s.changed.notify_all();
    }
    if (!presenter.begin(turn)) return;
    EntryState& e = s.entries[turn];
    for (;;) {
      std::vector<Shown> shown;
      bool asking = false, done = false;
      {
        std::unique_lock lock(s.m);
        s.changed.wait_for(lock, kIdleEvery, [&] { return !e.shown.empty() || e.done; });
        shown.swap(e.shown);
        asking = e.asking;
        done = e.done && e.shown.empty();
      }
      PassOn(s, turn, shown, asking, presenter.host());
      if (done) break;
      if (shown.empty()) presenter.idle();
    }
    if (e.error) std::rethrow_exception(e.error);
    if (!presenter.end(turn) || stop.load()) return;
  }
}

size_t WorkersOfMachine() {
  return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
}

}  // namespace kadrel
