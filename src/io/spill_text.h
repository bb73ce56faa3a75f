// Bytes held in memory up to a limit and beyond it in a temporary file that has
// no name (it goes when its last reader or the holder closes it), so that a
// large text costs no memory. Nothing of it is left behind by a kill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "io/file_layer.h"

namespace kadrel {

class SpillFile;

class SpillText {
 public:
  // memoryLimit: the bytes held in memory before the rest goes to the file.
  explicit SpillText(size_t memoryLimit);
  SpillText(SpillText&&) = default;
  SpillText& operator=(SpillText&&) = default;
  ~SpillText();

  void append(std::string_view bytes);
  uint64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // Keeps the first size bytes (no more than there are).
  void truncate(uint64_t size);
  void clear() { truncate(0); }
  // The bytes from offset to the present end (appended bytes are not read);
  // after a truncation a reader ends early or fails.
  std::unique_ptr<InputFile> read(uint64_t offset = 0);
  // False once a write to the file failed; the text is whole all the same (the
  // rest held in memory), so that only the memory bound is lost.
  bool spillFailed() const { return spillFailed_; }

 private:
  void spill();
  void writePending();

  size_t memoryLimit_;
  uint64_t size_ = 0;
  std::shared_ptr<std::string> memory_ = std::make_shared<std::string>();
  std::shared_ptr<SpillFile> file_;  // once the limit is passed
  std::string pending_;              // the last bytes, before they go to the file
  bool spillFailed_ = false;
};

}  // namespace kadrel
