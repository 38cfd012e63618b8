#pragma once
// Searches of every kind over one tree, and everything a search posted as
// text, for tests that compare two ways of searching (several readers, the
// symbol cache) with the plain one.
#include <functional>
#include <string>
#include <vector>

#include "core/wformat.h"
#include "symbolsearch/search_harness.h"

namespace tarnix {

// Everything a search posted, as text.
inline std::wstring Transcript(const SearchRun& r) {
  std::wstring out = WFormat(L"ended=%d files=%llu errors=%llu warnings=%llu\n", r.ended,
                             (unsigned long long)r.files, (unsigned long long)r.errors,
                             (unsigned long long)r.warnings);
  for (const std::wstring& line : r.status) out += L"status: " + line + L"\n";
  for (const SymbolResult& x : r.results) {
    const ImageProperties& p = x.properties;
    out += WFormat(L"%ls|%ls|%ls|%u|%u|%d|%u %u %llu %llu %llu %u %u\n", x.file.c_str(), x.name.c_str(),
                   x.module.c_str(), x.kind, x.ordinal, x.nameIndexOrHint, p.timeStamp, p.imageType,
                   (unsigned long long)p.subsystemBit, (unsigned long long)p.characteristics,
                   (unsigned long long)p.directories, p.binding, p.computed);
  }
  return out;
}

struct SearchVariant {
  const char* what;
  std::function<void(SearchParams&, SearchStartSettings&)> set;
};

inline std::vector<SearchVariant> SearchVariants() {
  return {
      {"plain", [](SearchParams& p, SearchStartSettings&) { p.search.text = L"Create"; }},
      {"every symbol", [](SearchParams&, SearchStartSettings&) {}},
      {"regex",
       [](SearchParams& p, SearchStartSettings&) {
         p.search.text = L"^Create.*W$";
         p.search.regex = true;
       }},
      {"C++ names undecorated",
       [](SearchParams& p, SearchStartSettings&) {
         p.lookIn = kLookInCppOnly;
         p.search.text = L"Widget::";
       }},
      {"C names, whole words, case",
       [](SearchParams& p, SearchStartSettings& s) {
         p.lookIn = kLookInCOnly | kLookInExports | kLookInImports;
         p.search.text = L"ReadFile";
         p.search.wholeWords = p.search.caseSensitive = true;
         s.undecorate = false;
       }},
      {"ordinals and forwarders",
       [](SearchParams& p, SearchStartSettings&) { p.lookIn = kLookInImportOrdinals | kLookInForwardedExports; }},
      {"delay loads", [](SearchParams& p, SearchStartSettings&) { p.lookIn = kLookInDelayLoad; }},
      {"filters",
       [](SearchParams& p, SearchStartSettings&) {
         p.imageTypes = 2;
         p.subsystems = 0x8;
         p.characteristicsMask = p.characteristicsValues = 0x2000;
       }},
      {"modules only",
       [](SearchParams& p, SearchStartSettings&) {
         p.presentAs = kPresentModulesOnly;
         p.search.text = L"dll";
       }},
      {"imported libraries",
       [](SearchParams& p, SearchStartSettings&) {
         p.searchFor = kSearchForImportLibs;
         p.presentAs = kPresentModulesOnly;
       }},
      {"file names: errors, not warnings", [](SearchParams& p, SearchStartSettings&) { p.fileName.text = L"*.dll"; }},
      {"file names by regex",
       [](SearchParams& p, SearchStartSettings&) {
         p.fileName.text = L"^m[0-3]";
         p.fileName.regex = true;
       }},
  };
}

}  // namespace tarnix
