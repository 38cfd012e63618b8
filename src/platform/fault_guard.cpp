#include "platform/fault_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

namespace tarnix {
namespace {

struct GuardState {
  uintptr_t begin;
  uintptr_t end;
  volatile sig_atomic_t faulted;
  bool active;
};

thread_local GuardState t_guard{0, 0, 0, false};
struct sigaction g_previous;
std::once_flag g_installOnce;

void OnBusError(int sig, siginfo_t* info, void* context) {
  GuardState& g = t_guard;
  uintptr_t addr = reinterpret_cast<uintptr_t>(info->si_addr);
  if (g.active && addr >= g.begin && addr < g.end) {
    long page = sysconf(_SC_PAGESIZE);
    uintptr_t pageStart = addr & ~static_cast<uintptr_t>(page - 1);
    void* p = mmap(reinterpret_cast<void*>(pageStart), static_cast<size_t>(page),
                   PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (p != MAP_FAILED) {
      g.faulted = 1;
      return;  // the faulting read runs again and now reads zeros
    }
  }
  // Not ours: hand the signal to whoever had it before, or die as usual.
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) {
      g_previous.sa_sigaction(sig, info, context);
      return;
    }
  } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
    g_previous.sa_handler(sig);
    return;
  }
  signal(sig, SIG_DFL);
  raise(sig);
}

void Install() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = OnBusError;
  sa.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGBUS, &sa, &g_previous);
}

}  // namespace

FaultGuard::FaultGuard(const void* base, size_t size) {
  std::call_once(g_installOnce, Install);
  outer_ = {t_guard.begin, t_guard.end, t_guard.faulted, t_guard.active};
  uintptr_t b = reinterpret_cast<uintptr_t>(base);
  t_guard.begin = b;
  t_guard.end = b + size;
  t_guard.faulted = 0;
  t_guard.active = true;
}

FaultGuard::~FaultGuard() {
  // Put the outer guard back, keeping a fault it recorded before.
  t_guard.active = false;
  t_guard.begin = outer_.begin;
  t_guard.end = outer_.end;
  t_guard.faulted = outer_.faulted;
  t_guard.active = outer_.active;
}

bool FaultGuard::faulted() const {
  // While this guard is the innermost, the thread's state is its own.
  return t_guard.faulted != 0;
}

}  // namespace tarnix
