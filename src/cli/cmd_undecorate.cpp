// tarnix-cli undecorate [--flags N] [NAME...]: undecorates C++ names given as
// arguments, or one per line from standard input, one output line each.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "tools/undecorate_view.h"
#include "undname/undecorate.h"

namespace tarnix::cli {
namespace {

constexpr uint32_t kDefaultFlags = 2;  // the default of "UndecorCppNamesFlags"
constexpr std::size_t kFlushSize = 1 << 16;

bool ParseFlags(std::string_view text, uint32_t& flags) {
  if (text.empty()) return false;
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t value = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFu) return false;
  }
  flags = static_cast<uint32_t>(value);
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

class Undecorator {
 public:
  explicit Undecorator(uint32_t flags) : flags_(flags) { out_.reserve(kFlushSize * 2); }
  ~Undecorator() { Flush(); }

  // Appends the line for one name; answers whether it undecorated.
  bool Line(std::string_view raw) {
    const std::string_view name = Trim(raw);
    bool ok = true;
    if (!name.empty()) {  // an empty input shows an empty output, as the window does
      if (auto text = UndecorateLocked(name, flags_)) {
        out_ += *text;
      } else {
        ok = false;
        out_ += ErrorLine(GetLastError());
      }
    }
    out_ += '\n';
    if (out_.size() >= kFlushSize) Flush();
    return ok;
  }

  void Flush() {
    if (!out_.empty()) std::fwrite(out_.data(), 1, out_.size(), stdout);
    out_.clear();
  }

 private:
  // "<ERROR: (%s) %s>", built once per error code.
  const std::string& ErrorLine(uint32_t code) {
    if (code != error_code_ || error_line_.empty()) {
      error_code_ = code;
      error_line_ = ToUtf8(UndecorationErrorText(code));
    }
    return error_line_;
  }

  uint32_t flags_;
  std::string out_;
  uint32_t error_code_ = 0;
  std::string error_line_;
};

const char kUsage[] =
    "usage: tarnix-cli undecorate [--flags N] [NAME...]\n"
    "  NAME        a decorated MSVC C++ name; without NAME, one name per line\n"
    "              is read from standard input\n"
    "  --flags N   the UNDNAME flags, decimal or 0x-hexadecimal (default 2)\n"
    "One line per name on stdout: the undecorated name, or \"<ERROR: (code) text>\".\n"
    "Exit status: 0 every name was undecorated, 1 some were not, 2 bad usage.\n";

int RunUndecorate(const std::vector<std::string>& args) {
  uint32_t flags = kDefaultFlags;
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    std::string_view value;
    if (a == "--flags") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "tarnix-cli undecorate: --flags needs a value\n");
        return kExitUsage;
      }
      value = args[++i];
    } else if (a.substr(0, 8) == "--flags=") {
      value = a.substr(8);
    } else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (a == "--") {
      for (++i; i < args.size(); ++i) names.push_back(args[i]);
      break;
    } else {
      names.push_back(a);
      continue;
    }
    if (!ParseFlags(value, flags)) {
      std::fprintf(stderr, "tarnix-cli undecorate: invalid flags '%.*s' (decimal or 0x-hexadecimal)\n",
                   static_cast<int>(value.size()), value.data());
      return kExitUsage;
    }
  }

  Undecorator u(flags);
  bool all_ok = true;
  if (!names.empty()) {
    for (std::string_view n : names) all_ok &= u.Line(n);
    return all_ok ? kExitOk : kExitSomeFailed;
  }
  // One name per line from standard input, read in large blocks.
  std::vector<char> buf(1 << 16);
  std::string carry;
  for (;;) {
    const std::size_t got = std::fread(buf.data(), 1, buf.size(), stdin);
    if (got == 0) break;
    std::string_view chunk(buf.data(), got);
    std::size_t nl;
    while ((nl = chunk.find('\n')) != std::string_view::npos) {
      if (carry.empty()) {
        all_ok &= u.Line(chunk.substr(0, nl));
      } else {
        carry.append(chunk.substr(0, nl));
        all_ok &= u.Line(carry);
        carry.clear();
      }
      chunk.remove_prefix(nl + 1);
    }
    carry.append(chunk);
  }
  if (!carry.empty()) all_ok &= u.Line(carry);
  return all_ok ? kExitOk : kExitSomeFailed;
}

const CommandRegistrar kRegistrar("undecorate", "undecorate MSVC C++ names ([--flags N] [NAME...])",
                                  RunUndecorate);

}  // namespace
}  // namespace tarnix::cli
