// The entries of a list prepared ahead by a pool of workers and handed back in
// list order: whatever order the workers finish in, what the user sees of each
// entry (its boxes and their answers, the code page it was read in, progress) and
// what is done at its turn (its files committed) come in list order.
//
// A worker prepares an entry with a host of its own, which holds what the entry
// shows until the entry's turn. At its turn, on the calling thread, the presenter
// begins the entry, gets what it showed (and, while it is still being prepared,
// what it shows from then on), answers the boxes it asks (a box with more than an
// OK button waits for its turn to be asked), and ends it. Workers stay a bounded
// number of entries ahead of the turn. When the work stops (a cancel, an error
// that ends the run), no further entry is begun; the workers finish what they
// hold, and the caller drops what was prepared and not presented.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "core/host.h"

namespace kadrel {

class OrderedWork {
 public:
  // The calling thread's side.
  class Presenter {
   public:
    virtual ~Presenter() = default;
    // Entry index's turn has come; what it shows goes to host() from now on.
    // False stops the work before it: nothing of it is passed on.
    virtual bool begin(size_t index) = 0;
    virtual Host& host() = 0;
    // Entry index is prepared and everything it showed has gone to host(). False
    // stops the work: no entry after it is begun.
    virtual bool end(size_t index) = 0;
    // Called every few milliseconds while the turn waits for a worker: keeps the
    // program responsive.
    virtual void idle() = 0;
  };

  // Runs fn once every entry before this one has run its own (or finished
  // without): what must happen in list order while entries are prepared. False,
  // without running fn, when the work stops first.
  using InOrder = std::function<bool(const std::function<void()>& fn)>;
  // Prepares entry index on a worker; host shows what the entry shows. An
  // exception it throws comes out of Run at the entry's turn.
  using Prepare = std::function<void(size_t index, Host& host, const InOrder& inOrder)>;

  // Entries 0 to count - 1 through prepare on `workers` threads, at most `ahead`
  // entries in front of the turn, presented in order. Once stop is set (a cancel),
  // no entry after the one whose turn it is is begun. Returns once every worker
  // is done.
  static void Run(size_t count, size_t workers, size_t ahead, const Prepare& prepare,
                  Presenter& presenter, const std::atomic<bool>& stop);
};

// The workers a run of the window or kadrel-cli uses: one per core, at most 8
// (past that the disk, not the cores, sets the pace).
size_t WorkersOfMachine();

}  // namespace kadrel
