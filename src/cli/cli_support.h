#pragma once
// What the subcommands share: UTF-8 output of wide texts, and Ctrl+C (or
// SIGTERM) turned into a stop of the running search.
#include <csignal>
#include <cstdio>
#include <string_view>

#include "core/stop_flag.h"

namespace tarnix::cli {

void PrintUtf8(FILE* to, std::wstring_view text);
// The text and a line feed.
void PrintLine(FILE* to, std::wstring_view text);

// While it lives, SIGINT and SIGTERM set `stop` to stop; the previous
// handlers come back when it ends.
class InterruptStops {
 public:
  explicit InterruptStops(StopFlag& stop);
  ~InterruptStops();
  InterruptStops(const InterruptStops&) = delete;
  InterruptStops& operator=(const InterruptStops&) = delete;
  // True once a signal arrived.
  static bool interrupted();

 private:
  struct sigaction oldInt_, oldTerm_;
};

}  // namespace tarnix::cli
