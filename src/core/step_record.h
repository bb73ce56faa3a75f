// A step: an ordered list of text fields numbered from 1; field 1 is the mode.
// It is the text form of a step line; core/step_mode.h names its fields.
#pragma once

#include <string>
#include <type_traits>
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

  // A field by its name (one of the field enums of core/step_mode.h).
  template <typename Name>
  requires std::is_enum_v<Name>
  const std::string& field(Name name) const { return field(static_cast<int>(name)); }
  template <typename Name>
  requires std::is_enum_v<Name> std::string& field(Name name) {
    return field(static_cast<int>(name));
  }

  // Field 1, the mode as the step writes it.
  const std::string& modeText() const { return field(1); }

  void clear() { fields_.clear(); }
  void add(std::string value) { fields_.push_back(std::move(value)); }
  void resize(int count) { fields_.resize(static_cast<size_t>(count)); }
  const std::vector<std::string>& fields() const { return fields_; }

 private:
  std::vector<std::string> fields_;
};

}  // namespace kadrel
