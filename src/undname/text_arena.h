#pragma once
// Bounded scratch storage for the undecorator. Every piece of text the parser
// builds lives here for the duration of one call; pieces are string_views
// into blocks that are freed together when the arena goes away. The arena
// refuses to grow past a fixed budget, so hostile input cannot make one call
// use unbounded memory or time.
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

namespace tarnix::undname {

class TextArena {
 public:
  // `budget` bounds the bytes handed out over the arena's life;
  // `max_piece` bounds the length of any single piece.
  TextArena(std::size_t budget, std::size_t max_piece);
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // The concatenation of `parts`, stored in the arena. When a limit is hit
  // the arena becomes exhausted and answers an empty view from then on.
  std::string_view Join(std::initializer_list<std::string_view> parts);
  std::string_view Copy(std::string_view text) { return Join({text}); }

  bool exhausted() const { return exhausted_; }

 private:
  char* Allocate(std::size_t size);

  static constexpr std::size_t kInlineSize = 8192;
  static constexpr std::size_t kBlockSize = 64 * 1024;

  std::size_t budget_;
  std::size_t max_piece_;
  std::size_t used_ = 0;
  bool exhausted_ = false;
  char* cursor_;
  std::size_t room_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char inline_[kInlineSize];
};

}  // namespace tarnix::undname
