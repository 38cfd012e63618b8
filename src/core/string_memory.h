#pragma once
// The heap memory a string holds, for counts of what a list takes: none
// while its text fits inside the string object (the standard library keeps
// 15 bytes there: 15 narrow or only 3 wide characters), else its capacity
// and terminator.
#include <cstddef>
#include <string>

namespace tarnix {

template <class Char>
size_t HeapBytes(const std::basic_string<Char>& s) {
  static const size_t inlineCapacity = std::basic_string<Char>().capacity();
  return s.capacity() > inlineCapacity ? (s.capacity() + 1) * sizeof(Char) : 0;
}

}  // namespace tarnix
