// A step: an ordered list of text fields numbered from 1; field 1 is the mode.
#pragma once

#include <string>
#include <vector>

namespace kadrel {

class StepRecord {
 public:
  StepRecord() = default;
  explicit StepRecord(std::vector<std::string> fields) : fields_(std::move(fields)) {}

  int size() const { return static_cast<int>(fields_.size()); }
  bool empty() const { return fields_.empty(); }
  bool has(int k) const { return k >= 1 && k <= size(); }

  // Field k (1-based). A missing field is a subscript error that ends the run.
  const std::string& field(int k) const;
  std::string& field(int k);

  void clear() { fields_.clear(); }
  void add(std::string value) { fields_.push_back(std::move(value)); }
  void resize(int count) { fields_.resize(static_cast<size_t>(count)); }
  const std::vector<std::string>& fields() const { return fields_; }

 private:
  std::vector<std::string> fields_;
};

}  // namespace kadrel
