// Small text helpers shared by the whole program.
#pragma once

#include <string>
#include <string_view>

namespace kadrel {

// Removes ASCII spaces (U+0020 only) at both ends.
std::string TrimSpaces(std::string_view s);

}  // namespace kadrel
