#include "cli/cli_support.h"

#include <cerrno>
#include <cstdlib>
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
    char* end = nullptr;
    errno = 0;
    const unsigned long n = std::strtoul(text.c_str(), &end, 0);
    if (errno || !end || *end || n > 0xFFFF) return false;
    out = static_cast<uint16_t>(n);
    return true;
  }
  const LanguageInfo* info = FindLanguageByName(FromUtf8(text));
  if (!info) return false;
  out = info->id;
  return true;
}

}  // namespace tarnix::cli
