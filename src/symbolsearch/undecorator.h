#pragma once
// The C++ name undecorator as the matcher calls it: the decorated 8-bit
// name and the UNDNAME flags in, the undecorated text or nothing out (with
// the last error set: 4306 empty name, 12175 not undecorated).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarnix {

using UndecorateFn = std::function<std::optional<std::string>(std::string_view, uint32_t)>;

}  // namespace tarnix
