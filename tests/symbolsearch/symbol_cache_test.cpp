// Searches through the symbol cache say exactly what searches of the files
// say: cold, warm, after another kind of search filled the cache, over
// hostile images, and with a cache that cannot be used.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "pe/image_reader.h"
#include "pe/image_snapshot.h"
#include "platform/mapped_file.h"
#include "support/mixed_tree.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"
#include "symbolsearch/search_variants.h"
#include "symbolsearch/symbol_cache.h"

namespace tarnix {
namespace {

namespace fs = std::filesystem;

// Images of the mixed tree with bytes changed and cut at random: headers,
// tables and names that point anywhere.
void WriteDamagedImages(const fs::path& folder, int count) {
  fs::create_directories(folder);
  std::mt19937 random(1234);
  std::vector<std::string> originals;
  for (const auto& entry : fs::recursive_directory_iterator(folder.parent_path()))
    // Not the tree's huge image: its thousands of names, each pointed at a
    // 65,536-character one, would make gigabytes of results.
    if (entry.is_regular_file() && entry.path().extension() == ".dll" && entry.file_size() > 512 &&
        entry.file_size() < 65536) {
      std::string bytes(entry.file_size(), '\0');
      FILE* f = std::fopen(entry.path().c_str(), "rb");
      ASSERT_TRUE(f);
      ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
      std::fclose(f);
      originals.push_back(std::move(bytes));
      if (originals.size() == 12) break;
    }
  ASSERT_FALSE(originals.empty());
  for (int i = 0; i < count; ++i) {
    std::string bytes = originals[random() % originals.size()];
    const int changes = 1 + static_cast<int>(random() % 24);
    for (int c = 0; c < changes; ++c) {
      // Most changes land in the headers and tables, where they matter.
      const size_t at = random() % 2 ? random() % std::min<size_t>(bytes.size(), 1024) : random() % bytes.size();
      bytes[at] = static_cast<char>(random() % 4 ? random() : (random() % 2 ? 0 : 0xFF));
    }
    if (random() % 4 == 0) bytes.resize(65 + random() % (bytes.size() - 65));
    std::string name = "x";
    name.append(std::to_string(i)).append(".dll");
    FILE* f = std::fopen((folder / name).c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

struct CacheSearches {
  test::TempDir dir{"cache"};
  fs::path tree = dir.path() / "tree";
  fs::path cache = dir.path() / "cache" / "symbols.db";

  CacheSearches() {
    test::WriteMixedImageTree(tree);
    WriteDamagedImages(tree / "damaged", 150);
  }

  std::wstring Run(const SearchVariant& v, bool cached, uint32_t readers = 2) {
    SearchHarness h;
    SearchParams p = h.Params(tree, L"");
    p.includeSubfolders = true;
    SearchStartSettings settings;
    v.set(p, settings);
    settings.readers = readers;
    settings.cacheSymbols = cached;
    settings.cachePath = cache.string();
    return Transcript(h.Go(p, nullptr, settings));
  }
};

TEST(SymbolCache, EverySearchSaysWithTheCacheWhatItSaysWithout) {
  CacheSearches s;
  const std::vector<SearchVariant> variants = SearchVariants();
  std::vector<std::wstring> plain;
  for (const SearchVariant& v : variants) plain.push_back(s.Run(v, false));

  // The cache filled by one kind of search serves every other: what is kept
  // of an image does not depend on what the search that read it looked for.
  for (const SearchVariant& filler : variants) {
    fs::remove_all(s.cache.parent_path());
    EXPECT_EQ(s.Run(filler, true), plain[&filler - variants.data()]) << filler.what << ", cold";
    for (size_t i = 0; i < variants.size(); ++i)
      EXPECT_EQ(s.Run(variants[i], true, i % 2 ? 1 : 3), plain[i])
          << variants[i].what << ", warm from " << filler.what;
  }
  SymbolCache::Stats stats;
  std::wstring error;
  ASSERT_TRUE(SymbolCache::ReadStats(s.cache.string(), stats, error)) << ToUtf8(error);
  EXPECT_GT(stats.entries, 150u);
  // The last search's: every file it looked up was kept.
  EXPECT_GT(stats.lookups, 0u);
  EXPECT_EQ(stats.hits, stats.lookups);
}

TEST(SymbolCache, AChangedFileIsReadAgainWhateverItsTimes) {
  test::TempDir dir("changed");
  const fs::path cache = dir.path() / "c.db";
  auto image = [](const char* name) {
    return test::PeBuilder().Exports({"a.dll", 1, {{1, name, ""}}}).Build().bytes;
  };
  const std::string before = image("OldSymbolA"), after = image("NewSymbolB");
  ASSERT_EQ(before.size(), after.size());
  const fs::path file = dir.Write("a.dll", before);
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  auto search = [&] {
    SearchHarness h;
    SearchParams p = h.Params(dir.path(), L"Symbol");
    SearchStartSettings settings;
    settings.cacheSymbols = true;
    settings.cachePath = cache.string();
    return Transcript(h.Go(p, nullptr, settings));
  };
  ASSERT_NE(search().find(L"OldSymbolA"), std::wstring::npos);
  ASSERT_NE(search().find(L"OldSymbolA"), std::wstring::npos);
  // Same size, and the modification time set back: the change time tells.
  dir.Write("a.dll", after);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  const std::wstring again = search();
  EXPECT_NE(again.find(L"NewSymbolB"), std::wstring::npos) << ToUtf8(again);
  EXPECT_EQ(again.find(L"OldSymbolA"), std::wstring::npos);
}

// What a search says with a cache it cannot use: the files' own output and
// one warning first.
TEST(SymbolCache, ACacheThatCannotBeUsedCostsOneWarningAndNothingElse) {
  CacheSearches s;
  const SearchVariant every = SearchVariants()[1];
  const std::wstring plain = s.Run(every, false);
  auto withWarning = [&](const std::wstring& got, const char* what) {
    const size_t warn = got.find(L"status: Warning: The symbol cache");
    ASSERT_NE(warn, std::wstring::npos) << what;
    std::wstring rest = got;
    rest.erase(warn, got.find(L'\n', warn) + 1 - warn);
    // The summary counts the warning.
    const size_t at = rest.find(L"warnings=");
    const size_t n = std::stoul(rest.substr(at + 9));
    rest.replace(at + 9, std::to_wstring(n).size(), std::to_wstring(n - 1));
    EXPECT_EQ(rest, plain) << what;
  };
  fs::create_directories(s.cache.parent_path());
  auto put = [&](const std::string& bytes) {
    fs::remove_all(s.cache.parent_path());
    fs::create_directories(s.cache.parent_path());
    FILE* f = std::fopen(s.cache.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  };

  put(std::string(100000, 'j'));  // junk: made anew, and used at once
  withWarning(s.Run(every, true), "junk");
  EXPECT_EQ(s.Run(every, true), plain) << "rebuilt";

  // Cut in the middle of a page.
  const auto size = fs::file_size(s.cache);
  fs::resize_file(s.cache, size / 2 + 1000);
  for (const char* suffix : {"-wal", "-shm"}) fs::remove(s.cache.string() + suffix);
  const std::wstring cut = s.Run(every, true);
  if (cut != plain) withWarning(cut, "cut");
  EXPECT_EQ(s.Run(every, true), plain) << "after the cut";

  fs::remove_all(s.cache.parent_path());
  fs::create_directories(s.cache.parent_path());
  ASSERT_EQ(mkfifo(s.cache.c_str(), 0600), 0);
  withWarning(s.Run(every, true), "fifo");
  EXPECT_TRUE(fs::is_fifo(s.cache));

  fs::remove_all(s.cache.parent_path());
  fs::create_directories(s.cache.parent_path());
  const fs::path other = s.dir.path() / "other.txt";
  s.dir.Write("other.txt", "keep me");
  fs::create_symlink(other, s.cache);
  withWarning(s.Run(every, true), "symlink");
  EXPECT_EQ(fs::file_size(other), 7u);

  // Of a newer layout: left alone.
  fs::remove_all(s.cache.parent_path());
  EXPECT_EQ(s.Run(every, true), plain);
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(s.cache.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  withWarning(s.Run(every, true), "newer");

  if (geteuid() != 0) {  // root writes whatever the mode
    fs::remove_all(s.cache.parent_path());
    EXPECT_EQ(s.Run(every, true), plain);
    fs::permissions(s.cache, fs::perms::owner_read);
    withWarning(s.Run(every, true), "read-only");
  }
}

std::string ReadFile(const fs::path& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

// What tarnix-cli printed, less the time the search took.
std::string Printed(const fs::path& out, const fs::path& err) {
  std::string text = ReadFile(out) + "--\n" + ReadFile(err);
  const size_t at = text.find("Search Finished in ");
  if (at != std::string::npos) text.erase(at, text.find('\n', at) - at);
  return text;
}

TEST(SymbolCache, ProgramsShareItAtOnceAndAKilledWriterLeavesItSound) {
  CacheSearches s;
  const fs::path home = s.dir.path() / "xdg";
  const std::string search = "env XDG_CACHE_HOME=" + home.string() + " " + TARNIX_CLI_PATH + " search " +
                             s.tree.string() + " /isf 1 --for '' --jobs 2";
  auto out = [&](const char* name) { return s.dir.path() / name; };
  auto to = [&](const char* o, const char* e) { return " > " + out(o).string() + " 2> " + out(e).string(); };
  ASSERT_EQ(std::system((search + " --no-cache" + to("plain", "plain.err")).c_str()) >> 8, 1);  // errors counted
  const std::string plain = Printed(out("plain"), out("plain.err"));

  // Killed at once, a little later, later still: while it makes the cache,
  // while it fills it, and while it writes its last batches.
  for (const char* after : {"0.01", "0.05", "0.1", "0.2", "0.4"}) {
    std::system(("timeout -s KILL " + std::string(after) + " " + search + " > /dev/null 2>&1").c_str());
    std::system((search + to("o", "e")).c_str());
    EXPECT_EQ(Printed(out("o"), out("e")), plain) << "killed after " << after << " s";
  }
  // Two at once, cold and then warm.
  for (int round = 0; round < 2; ++round) {
    if (round == 0) fs::remove_all(home);
    std::system(("(" + search + to("o1", "e1") + " & " + search + to("o2", "e2") + " & wait)").c_str());
    EXPECT_EQ(Printed(out("o1"), out("e1")), plain) << round;
    EXPECT_EQ(Printed(out("o2"), out("e2")), plain) << round;
  }
}

TEST(SymbolCache, TheLimitDropsTheOldestEntries) {
  CacheSearches s;
  fs::create_directories(s.tree / "more");
  // Copies of the tree's huge image fill more than a MiB.
  for (char c = 'a'; c < 'k'; ++c)
    fs::copy_file(s.tree / "0huge.dll", s.tree / "more" / (std::string(1, c) + ".dll"));
  const SearchVariant every = SearchVariants()[1];
  const std::wstring plain = s.Run(every, false);
  auto stats = [&] {
    SymbolCache::Stats st;
    std::wstring error;
    EXPECT_TRUE(SymbolCache::ReadStats(s.cache.string(), st, error)) << ToUtf8(error);
    return st;
  };
  auto search = [&](uint32_t limitMiB) {
    SearchHarness h;
    SearchParams p = h.Params(s.tree, L"");
    p.includeSubfolders = true;
    SearchStartSettings settings;
    settings.cacheSymbols = true;
    settings.cachePath = s.cache.string();
    settings.cacheLimitMiB = limitMiB;
    return Transcript(h.Go(p, nullptr, settings));
  };
  EXPECT_EQ(search(256), plain);
  const SymbolCache::Stats full = stats();
  ASSERT_GT(full.bytes, 1u << 20) << "the tree must fill more than the smaller limit";
  // A lower limit holds from the next search on, also one that only finds.
  EXPECT_EQ(search(1), plain);
  EXPECT_LE(stats().bytes, 1u << 20);
  EXPECT_GT(stats().entries, 0u);
  // Emptied and filled under the lower limit.
  fs::remove_all(s.cache.parent_path());
  EXPECT_EQ(search(1), plain);
  EXPECT_LE(stats().bytes, 1u << 20);
  EXPECT_EQ(search(1), plain);
}

TEST(ImageSnapshot, EntriesRoundTripAndBrokenOnesAreRefused) {
  const std::string bytes = test::PeBuilder().Exports({"a.dll", 1, {{1, "Name", ""}}}).Build().bytes;
  ImageReader reader;
  ImageSnapshot snap;
  ASSERT_TRUE(TakeSnapshot(reader, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bytes.size(), snap));
  ASSERT_FALSE(snap.ranges.empty());
  std::string entry;
  EncodeSnapshot(snap, entry);
  ImageSnapshot back;
  ASSERT_TRUE(DecodeSnapshot(entry, back));
  EXPECT_EQ(back.bytes, snap.bytes);
  EXPECT_EQ(back.viewSize, snap.viewSize);
  for (size_t cut = 0; cut < entry.size(); ++cut)
    EXPECT_FALSE(DecodeSnapshot(std::string_view(entry).substr(0, cut), back)) << cut;
  std::string longer = entry;
  longer.push_back('x');
  EXPECT_FALSE(DecodeSnapshot(longer, back));
}

}  // namespace
}  // namespace tarnix
