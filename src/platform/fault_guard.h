#pragma once
// Guards reads from a mapped file against the file shrinking underneath.
//
// When another process truncates a file while it is mapped, touching a page
// past the new end raises SIGBUS. While a FaultGuard is active on a thread,
// such a fault inside the guarded range is absorbed: the page is replaced by
// a page of zeros, the guard records the fault, and the read goes on. The
// reader then sees zeros (which end every table walk) and checks faulted()
// to refuse the image. Faults outside the range keep their usual effect.
// Guards nest: a guard made while another is active (a message lookup
// during an image read) covers its own range, and the outer guard is back
// when it ends.
#include <cstddef>
#include <cstdint>

namespace tarnix {

class FaultGuard {
 public:
  FaultGuard(const void* base, size_t size);
  ~FaultGuard();
  FaultGuard(const FaultGuard&) = delete;
  FaultGuard& operator=(const FaultGuard&) = delete;

  // True once a read inside the range has faulted.
  bool faulted() const;

 private:
  struct Saved {
    uintptr_t begin, end;
    int faulted;
    bool active;
  } outer_;
};

}  // namespace tarnix
