#pragma once
// What the subcommands share: walking their arguments, UTF-8 output of wide
// texts, and Ctrl+C (or SIGTERM) turned into a stop of the running search.
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_settings.h"
#include "core/stop_flag.h"

namespace tarnix::cli {

// A subcommand's arguments in turn; an option's value is the argument after it.
class ArgCursor {
 public:
  explicit ArgCursor(const std::vector<std::string>& args) : args_(args) {}
  bool More() const { return next_ < args_.size(); }
  const std::string& Next() { return args_[next_++]; }
  // The value of the option just read; false when no argument is left.
  bool Value(std::string& out) {
    if (!More()) return false;
    out = args_[next_++];
    return true;
  }

 private:
  const std::vector<std::string>& args_;
  size_t next_ = 0;
};

// How long tarnix-cli waits for a settings store another program holds
// locked, before it says so and goes on with the defaults.
inline constexpr uint32_t kStoreWaitMs = 2000;

// The settings snapshot, read and normalised as the window reads it; a
// stored value that cannot be used is logged.
ProgramSettings LoadProgramSettings();

// Prints, once each, what went wrong with the settings store so far
// (damaged, locked, read-only, full) on stderr.
void SayStoreNotes();

// The number an option takes: decimal digits, or "0x" and hexadecimal
// digits; no sign, no blank. False for anything else and for a value above
// `max` (it never wraps); the caller's message names the range.
bool ReadOptionNumber(std::string_view text, uint64_t max, uint64_t& out);

// The language an option names: an identifier (0x407, 1031; read as
// ReadOptionNumber reads, at most 0xFFFF) or a name ("de-DE", "de_de");
// false for anything else.
bool ReadLanguageOption(const std::string& text, uint16_t& out);

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
