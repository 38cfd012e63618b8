// Images broken on purpose: every one yields symbols or a refusal with its
// location code, never a crash, a hang or an unbounded allocation.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "pe/image_reader.h"
#include "pe/rva.h"
#include "reader_fakes.h"

namespace tarnix::test {
namespace {

using K = PeBuilder::Kind;

BuiltImage Small(K kind) {
  PeBuilder b(kind);
  b.ImageBase(0x400000);
  b.Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 7), ImportSymbol::Ordinal(17)}});
  b.Exports({"lib.dll", 1, {{1, "Alpha", ""}, {2, "", ""}, {3, "Beta", "NTDLL.RtlBeta"}}});
  b.DelayImport({"SHELL32.dll", {ImportSymbol::Named("ShellExecuteW", 9)}, kind == K::kPe32, 0});
  b.Resource(16, 1, 1033, "version");
  b.LoadConfiguration({kind == K::kPe32 ? 64u : 96u, 0x404000, 0});
  return b.Build();
}

// Reads an exact copy of `bytes` from the heap, so that the address
// sanitizer sees any read past its end.
ReadOutcome ReadExact(const std::string& bytes, RecordingSink& sink, const ScanOptions& options = {}) {
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  ImageReader reader;
  uint32_t location = 0;
  int result = reader.ReadMemory(copy.data(), copy.size(), "image.dll", options, sink, nullptr,
                                 location);
  return {result, location, GetLastError()};
}

TEST(BrokenImages, TruncatedAtEveryByte) {
  const std::set<uint32_t> refusals = {kLocationLfanew, kLocationSignature, kLocationMagic,
                                       kLocationHeaderValues, kLocationMalformed};
  for (K kind : {K::kPe32, K::kPe64}) {
    BuiltImage img = Small(kind);
    RecordingSink full;
    ASSERT_EQ(ReadExact(img.bytes, full).result, kReadDone);
    ASSERT_EQ(full.handed.size(), 7u);
    for (size_t n = 0; n < img.bytes.size(); ++n) {
      RecordingSink sink;
      ReadOutcome r = ReadExact(img.bytes.substr(0, n), sink);
      if (r.result == kReadFailed) {
        EXPECT_TRUE(refusals.count(r.location)) << n << ": " << r.location;
        if (r.location == kLocationMalformed) {
          EXPECT_EQ(r.error, ERROR_INVALID_EXCEPTION_HANDLER);
        }
      } else {
        ASSERT_EQ(r.result, kReadDone) << n;
      }
      EXPECT_LE(sink.handed.size(), full.handed.size()) << n;
    }
    // Through a file, the view is rounded up to a page and reads as zeros
    // past the end.
    for (size_t n = 65; n < img.bytes.size(); n += 61) {
      RecordingSink sink;
      ReadOutcome r = ReadBytes(img.bytes.substr(0, n), sink);
      EXPECT_TRUE(r.result == kReadDone || refusals.count(r.location)) << n;
    }
  }
}

TEST(BrokenImages, TableRunningPastTheViewIsRefused) {
  BuiltImage img = Small(K::kPe64);
  const uint32_t dir = img.layout.exportDirectory;
  auto refused = [](const std::string& bytes) {
    RecordingSink sink;
    ReadOutcome r = ReadExact(bytes, sink);
    return r.result == kReadFailed && r.location == kLocationMalformed &&
           r.error == ERROR_INVALID_EXCEPTION_HANDLER;
  };
  std::string functions = img.bytes;
  Poke<uint32_t>(functions, dir + 20, 0xFFFFFFFF);  // NumberOfFunctions
  EXPECT_TRUE(refused(functions));
  std::string names = img.bytes;
  Poke<uint32_t>(names, dir + 24, 0x7FFFFFFF);  // NumberOfNames
  EXPECT_TRUE(refused(names));

  // An import name table without a terminator, reaching the end of the
  // view: its entries map nowhere, so they are skipped, until the view ends.
  std::string thunks = img.bytes;
  uint32_t rdataEnd = static_cast<uint32_t>(thunks.size());
  uint32_t tail = rdataEnd - 64;
  for (uint32_t at = tail; at < rdataEnd; ++at) thunks[at] = 'A';
  // The last section (.rsrc) covers the whole of its raw data.
  Poke<uint32_t>(thunks, img.layout.sectionTable + 80 + 8, 0x1000);
  uint32_t tailRva = tail - img.layout.rsrcOffset + img.layout.rsrcRva;
  Poke<uint32_t>(thunks, img.layout.importDescriptors + 0, tailRva);
  EXPECT_TRUE(refused(thunks));

  // A name without a terminating zero at the end of the view.
  std::string name = thunks;
  Poke<uint32_t>(name, img.layout.importDescriptors + 0, 0);
  Poke<uint32_t>(name, img.layout.importDescriptors + 12, tailRva);
  EXPECT_TRUE(refused(name));
}

TEST(BrokenImages, SectionTables) {
  BuiltImage img = Small(K::kPe32);
  // Far more sections than the file holds: the real ones are found first.
  std::string many = img.bytes;
  Poke<uint16_t>(many, img.layout.lfanew + 6, 0xFFFF);
  RecordingSink sink;
  EXPECT_EQ(ReadExact(many, sink).result, kReadDone);
  EXPECT_EQ(sink.handed.size(), 7u);
  // A section table that starts beyond the end of the file.
  std::string past = img.bytes;
  Poke<uint16_t>(past, img.layout.lfanew + 20, 0xFFFF);
  RecordingSink none;
  ReadOutcome r = ReadExact(past, none);
  EXPECT_EQ(r.result, kReadFailed);
  EXPECT_EQ(r.location, kLocationMalformed);
  // An RVA that maps to a place past the end of the file.
  std::string raw = img.bytes;
  Poke<uint32_t>(raw, img.layout.sectionTable + 40 + 20, 0x7FFFFFF0);  // .rdata's raw data
  RecordingSink far;
  EXPECT_EQ(ReadExact(raw, far).location, kLocationMalformed);
}

TEST(BrokenImages, FileTruncatedWhileMapped) {
  PeBuilder b(K::kPe64);
  std::vector<ImportSymbol> many;
  for (int i = 0; i < 2000; ++i) many.push_back(ImportSymbol::Named(("Function" + std::to_string(i)).c_str(), 0));
  b.Import({"KERNEL32.dll", many});
  BuiltImage img = b.Build();
  ASSERT_GT(img.bytes.size(), 3 * 4096u);
  TempDir dir;
  std::filesystem::path path = dir.Write("shrinking.dll", img.bytes);
  RecordingSink sink;
  // Another process cuts the file down to its headers in mid-read.
  sink.onBegin = [&] { ASSERT_EQ(truncate(path.c_str(), 4096), 0); };
  uint32_t location = 0;
  int result = ReadImage(path.string(), {}, sink, nullptr, location);
  EXPECT_EQ(result, kReadFailed);
  EXPECT_EQ(location, kLocationMalformed);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_EXCEPTION_HANDLER);
  EXPECT_LT(sink.handed.size(), 2000u);
}

TEST(RvaToFileOffset, ResultsAndErrors) {
  BuiltImage img = Small(K::kPe64);
  auto data = reinterpret_cast<const uint8_t*>(img.bytes.data());
  uint32_t offset = 0;
  ASSERT_TRUE(RvaToFileOffset(data, img.bytes.size(), img.layout.rdataRva + 0x10, offset));
  EXPECT_EQ(offset, img.layout.rdataOffset + 0x10);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  EXPECT_FALSE(RvaToFileOffset(data, img.bytes.size(), 0, offset));
  EXPECT_EQ(GetLastError(), ERROR_RVA_OUT_OF_RANGE);
  EXPECT_FALSE(RvaToFileOffset(data, img.bytes.size(), 0x100000000ull, offset));
  EXPECT_EQ(GetLastError(), ERROR_RVA_OUT_OF_RANGE);
  EXPECT_FALSE(RvaToFileOffset(data, img.bytes.size(), 0x10, offset));  // inside the headers
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);

  std::string big = img.bytes;
  Poke<uint32_t>(big, img.layout.sectionTable + 40 + 20, 0xFFFFFFF0);
  EXPECT_FALSE(RvaToFileOffset(reinterpret_cast<const uint8_t*>(big.data()), big.size(),
                               img.layout.rdataRva + 0x20, offset));
  EXPECT_EQ(GetLastError(), ERROR_INCORRECT_SIZE);

  std::string noMz = img.bytes;
  Poke<uint16_t>(noMz, 0, 0);
  EXPECT_FALSE(RvaToFileOffset(reinterpret_cast<const uint8_t*>(noMz.data()), noMz.size(),
                               img.layout.rdataRva, offset));
  EXPECT_EQ(GetLastError(), ERROR_NOT_AN_IMAGE);
  std::string noPe = img.bytes;
  Poke<uint32_t>(noPe, 0x3C, 0x7FFFFFFF);
  EXPECT_FALSE(RvaToFileOffset(reinterpret_cast<const uint8_t*>(noPe.data()), noPe.size(),
                               img.layout.rdataRva, offset));
  EXPECT_EQ(GetLastError(), ERROR_NOT_AN_IMAGE);
}

}  // namespace
}  // namespace tarnix::test
