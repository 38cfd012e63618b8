#pragma once
// The parser behind Undecorate(): a recursive-descent reader of the MSVC
// decoration scheme that prints the text the platform's undecorator prints.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix::undname {

// Limits that keep hostile input bounded. Real decorated names are at most
// 4096 characters (the compiler hashes longer ones) and nest templates a few
// dozen levels deep, so these are far above anything a compiler produces.
inline constexpr int kMaxNestingDepth = 128;                     // types, names, symbols
inline constexpr std::size_t kMaxOutputLength = 1u << 20;        // 1 MiB of text per piece
inline constexpr std::size_t kMaxScratchBytes = 16u << 20;       // 16 MiB built per call

enum class Outcome {
  kText,          // `text` holds the undecorated name
  kNotDecorated,  // not a decorated name at all; the platform hands it back unchanged
  kFailed,        // a decorated name that cannot be undecorated
};

struct DemangleResult {
  Outcome outcome = Outcome::kFailed;
  std::string text;
};

DemangleResult Demangle(std::string_view name, uint32_t flags);

}  // namespace tarnix::undname
