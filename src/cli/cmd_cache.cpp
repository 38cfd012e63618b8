// tarnix-cli cache: what the symbol cache holds, and emptying it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/text_encoding.h"
#include "symbolsearch/symbol_cache.h"

namespace tarnix::cli {
namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tarnix-cli cache [--stats] [--clear]\n"
               "  --stats  where the symbol cache is, its entries and bytes, and the hits of the\n"
               "           last search that used it (the default)\n"
               "  --clear  removes the cache; the next search makes it anew\n");
  return kExitUsage;
}

int RunCache(const std::vector<std::string>& args) {
  bool stats = false, clear = false;
  for (const std::string& a : args) {
    if (a == "--stats") {
      stats = true;
    } else if (a == "--clear") {
      clear = true;
    } else if (a == "--help") {
      Usage();
      return kExitOk;
    } else {
      std::fprintf(stderr, "tarnix-cli cache: unknown option %s\n", a.c_str());
      return Usage();
    }
  }
  if (!clear) stats = true;
  const std::string path = SymbolCachePath();
  if (clear) {
    std::wstring error;
    if (!SymbolCache::Clear(path, error)) {
      std::fprintf(stderr, "tarnix-cli cache: %s could not be removed: %s\n", path.c_str(), ToUtf8(error).c_str());
      return kExitSomeFailed;
    }
    std::printf("Cleared: %s\n", path.c_str());
  }
  if (!stats) return kExitOk;
  SymbolCache::Stats s;
  std::wstring error;
  std::printf("Cache: %s\n", path.c_str());
  if (!SymbolCache::ReadStats(path, s, error)) {
    std::fprintf(stderr, "tarnix-cli cache: %s cannot be read: %s\n", path.c_str(), ToUtf8(error).c_str());
    return kExitSomeFailed;
  }
  std::printf("Entries: %llu\n", static_cast<unsigned long long>(s.entries));
  std::printf("Bytes: %llu (file: %llu)\n", static_cast<unsigned long long>(s.bytes),
              static_cast<unsigned long long>(s.fileBytes));
  if (s.entries) std::printf("Bytes per entry: %llu\n", static_cast<unsigned long long>(s.bytes / s.entries));
  if (s.lookups)
    std::printf("Last search: %llu hits of %llu lookups (%.1f%%)\n", static_cast<unsigned long long>(s.hits),
                static_cast<unsigned long long>(s.lookups), 100.0 * static_cast<double>(s.hits) / static_cast<double>(s.lookups));
  else
    std::printf("Last search: none\n");
  return kExitOk;
}

const CommandRegistrar kCache("cache", "show or clear the symbol cache", RunCache);

}  // namespace
}  // namespace tarnix::cli
