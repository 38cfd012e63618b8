#include "cli/cli_support.h"

#include <cstring>
#include <string>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/store_notes.h"
#include "platform/languages.h"
#include "platform/text_encoding.h"

namespace tarnix::cli {
namespace {

StopFlag* g_stop = nullptr;
volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
  if (g_stop) g_stop->store(kStopStop);
}

}  // namespace

ProgramSettings LoadProgramSettings() {
  return ProgramSettings::Load(RegistrySettings(), [](const std::wstring& text) {
    EventLog::LogFormat(L"%ls", text.c_str());
  });
}

void SayStoreNotes() {
  // A damaged store was already said on stderr when it was moved aside.
  for (const StoreNote& note : TakeStoreNotes())
    if (note.kind.rfind("damaged:", 0) != 0) PrintLine(stderr, L"tarnix-cli: " + note.text);
}

bool ReadOptionNumber(std::string_view text, uint64_t max, uint64_t& out) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char c : text) {
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    if (d > max || value > (max - d) / base) return false;
    value = value * base + d;
  }
  out = value;
  return true;
}

void PrintUtf8(FILE* to, std::wstring_view text) {
  const std::string s = ToUtf8(text);
  std::fwrite(s.data(), 1, s.size(), to);
}

void PrintLine(FILE* to, std::wstring_view text) {
  std::string s = ToUtf8(text);
  s += '\n';
  std::fwrite(s.data(), 1, s.size(), to);
}

InterruptStops::InterruptStops(StopFlag& stop) {
  g_stop = &stop;
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &oldInt_);
  sigaction(SIGTERM, &sa, &oldTerm_);
}

InterruptStops::~InterruptStops() {
  sigaction(SIGINT, &oldInt_, nullptr);
  sigaction(SIGTERM, &oldTerm_, nullptr);
  g_stop = nullptr;
}

bool InterruptStops::interrupted() { return g_interrupted != 0; }

bool ReadLanguageOption(const std::string& text, uint16_t& out) {
  if (text.empty()) return false;
  if (text[0] >= '0' && text[0] <= '9') {
    uint64_t n = 0;
    if (!ReadOptionNumber(text, 0xFFFF, n)) return false;
    out = static_cast<uint16_t>(n);
    return true;
  }
  const LanguageInfo* info = FindLanguageByName(FromUtf8(text));
  if (!info) return false;
  out = info->id;
  return true;
}

}  // namespace tarnix::cli
