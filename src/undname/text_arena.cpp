#include "undname/text_arena.h"

#include <cstring>

namespace tarnix::undname {

TextArena::TextArena(std::size_t budget, std::size_t max_piece)
    : budget_(budget), max_piece_(max_piece), cursor_(inline_), room_(kInlineSize) {}

char* TextArena::Allocate(std::size_t size) {
  if (size > room_) {
    const std::size_t block = size > kBlockSize ? size : kBlockSize;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(block));
    cursor_ = blocks_.back().get();
    room_ = block;
  }
  char* p = cursor_;
  cursor_ += size;
  room_ -= size;
  return p;
}

std::string_view TextArena::Join(std::initializer_list<std::string_view> parts) {
  if (exhausted_) return {};
  std::size_t size = 0;
  for (std::string_view p : parts) size += p.size();
  if (size == 0) return {};
  if (size > max_piece_ || used_ + size > budget_) {
    exhausted_ = true;
    return {};
  }
  used_ += size;
  char* out = Allocate(size);
  char* w = out;
  for (std::string_view p : parts) {
    if (!p.empty()) std::memcpy(w, p.data(), p.size());
    w += p.size();
  }
  return {out, size};
}

}  // namespace tarnix::undname
