// Filters and the lazily computed properties: subsystem, characteristics
// (with the two derived bits), directories and resource types.
#include <gtest/gtest.h>

#include "pe/image_reader.h"
#include "reader_fakes.h"

namespace tarnix::test {
namespace {

using K = PeBuilder::Kind;

TEST(Filters, AskedInOrderAndRefuseQuietly) {
  std::string bytes =
      PeBuilder(K::kPe64).Import({"A.dll", {ImportSymbol::Named("f", 0)}}).Build().bytes;
  const std::vector<std::string> order = {"time", "type", "subsystem", "characteristics",
                                          "directories"};
  for (size_t refuse = 1; refuse <= order.size(); ++refuse) {
    ScriptedFilter filter;
    bool* answers[] = {nullptr, &filter.type, &filter.subsystem, &filter.characteristics,
                       &filter.directories};
    if (refuse < order.size()) *answers[refuse] = false;
    RecordingSink sink;
    ReadOutcome r = ReadBytes(bytes, sink, {}, &filter);
    EXPECT_EQ(r.result, kReadDone);
    EXPECT_EQ(r.error, ERROR_SUCCESS);
    size_t asked = refuse < order.size() ? refuse + 1 : order.size();
    EXPECT_EQ(filter.asked, std::vector<std::string>(order.begin(), order.begin() + asked));
    EXPECT_EQ(sink.handed.size(), refuse < order.size() ? 0u : 1u);
  }
}

TEST(Filters, PropertiesAreComputedOnlyWhenAsked) {
  PeBuilder b(K::kPe32);
  b.Subsystem(3).Characteristics(0x2102).DllCharacteristics(0x0140);
  b.Import({"A.dll", {ImportSymbol::Named("f", 0)}});
  b.Resource(16, 1, 1033, "v");
  b.LoadConfiguration({64, 0x10004000, 0});
  std::string bytes = b.Build().bytes;

  ScriptedFilter filter;  // asks for header bits only
  RecordingSink lazy;
  lazy.completeOnAttach = false;
  ReadBytes(bytes, lazy, {}, &filter);
  EXPECT_EQ(filter.seen.computed, kComputedSubsystem);
  EXPECT_EQ(filter.seen.subsystemBit, 0x8u);
  EXPECT_EQ(filter.seen.characteristics, CharacteristicBitsOf(0x2102, 0x0140));
  EXPECT_EQ(filter.seen.directories & kDirResourceTypeBits, 0u);
  EXPECT_TRUE(filter.seen.directories & kDirResources);
  EXPECT_EQ(lazy.last.computed, kComputedSubsystem | kComputedBinding);

  // A sink completes them before it delivers: derived bits and resource
  // types included.
  RecordingSink complete;
  ReadBytes(bytes, complete, {}, &filter);
  const uint32_t all = kComputedSubsystem | kComputedCharacteristics | kComputedDirectories;
  EXPECT_EQ(complete.attached.computed, all);
  EXPECT_EQ(complete.last.computed, all | kComputedBinding);
  EXPECT_TRUE(complete.last.characteristics & kCharBufferSecurityChecks);
  EXPECT_TRUE(complete.last.directories & 0x2000000000u);  // "Ver"

  ScriptedFilter deep;
  deep.wantDerived = deep.wantResources = true;
  RecordingSink sink;
  sink.completeOnAttach = false;
  ReadBytes(bytes, sink, {}, &deep);
  EXPECT_EQ(deep.seen.computed, all);
}

TEST(Properties, DirectoriesHonourNumberOfRvaAndSizes) {
  PeBuilder b(K::kPe64);
  b.Import({"A.dll", {ImportSymbol::Named("f", 0)}});
  b.Exports({"a.dll", 1, {{1, "g", ""}}});
  b.Directory(3, 0x1000, 0x10).Directory(12, 0x2000, 0).Directory(14, 0, 0x48);
  RecordingSink sink;
  ReadBytes(b.Build().bytes, sink);
  EXPECT_EQ(sink.attached.directories, 0x800u | 0x1000u | 0x1u);

  b.NumberOfRvaAndSizes(1);  // only the export directory counts as present
  RecordingSink few;
  ReadBytes(b.Build().bytes, few);
  EXPECT_EQ(few.attached.directories, 0x1000u);
  // The walks read their entries at the fixed places all the same.
  EXPECT_EQ(few.handed.size(), 2u);
}

TEST(Properties, SecurityCookie) {
  struct Case {
    K kind;
    LoadConfig config;
    bool cookie;
  } cases[] = {
      {K::kPe32, {64, 0x10004000, 0}, true},
      {K::kPe32, {64, 0, 0}, false},           // no cookie address
      {K::kPe32, {60, 0x10004000, 64}, false},  // structure too small
      {K::kPe32, {64, 0x10004000, 48}, false},  // directory too small
      {K::kPe64, {96, 0x180004000, 0}, true},
      {K::kPe64, {264, 0x180004000, 0}, true},
      {K::kPe64, {88, 0x180004000, 96}, false},
      {K::kPe64, {96, 0x180004000, 64}, false},
  };
  for (const Case& c : cases) {
    RecordingSink sink;
    ReadBytes(PeBuilder(c.kind).LoadConfiguration(c.config).Build().bytes, sink);
    EXPECT_EQ((sink.attached.characteristics & kCharBufferSecurityChecks) != 0, c.cookie)
        << c.config.size << "/" << c.config.directorySize;
    EXPECT_TRUE(sink.attached.directories & 0x40);  // "LdConfgData"
  }
}

// Resource-type bits of an image with the given resources.
ImageProperties WithResources(const std::function<void(PeBuilder&)>& add, RecordingSink& sink) {
  PeBuilder b(K::kPe64);
  add(b);
  ReadBytes(b.Build().bytes, sink);
  return sink.attached;
}

TEST(Resources, TypesWithData) {
  RecordingSink sink;
  ImageProperties p = WithResources(
      [](PeBuilder& b) {
        b.Resource(3, 1, 1033, "icon");
        b.Resource(16, 1, 1033, "version");
        b.Resource(24, 1, 0, "manifest");
        b.Resource(13, 1, 0, "no bit");
        b.Resource(std::u16string(u"TYPELIB"), 1, 0, "named");
        b.EmptyResourceType(5);  // a type without data sets nothing
      },
      sink);
  EXPECT_EQ(p.directories & kDirResourceTypeBits,
            0x4000000u | 0x2000000000u | 0x100000000000u | kResourceTypeOther);
  EXPECT_TRUE(p.directories & kDirResources);
  EXPECT_TRUE(sink.status.empty());

  RecordingSink above;
  p = WithResources([](PeBuilder& b) { b.Resource(240, 1, 0, "x"); }, above);
  EXPECT_EQ(p.directories & kDirResourceTypeBits, kResourceTypeOther);
  RecordingSink empty;
  p = WithResources([](PeBuilder& b) { b.EmptyResourceType(std::u16string(u"EMPTY")); }, empty);
  EXPECT_EQ(p.directories & kDirResourceTypeBits, 0u);
}

// A hand-made resource section: root with one type entry (type 6 pointing at
// `typeTarget`), then whatever `more` adds.
std::string RawTree(uint32_t typeName, uint32_t typeTarget, const std::string& more = {}) {
  std::string s(16 + 8, '\0');
  Poke<uint16_t>(s, 14, 1);
  Poke<uint32_t>(s, 16, typeName);
  Poke<uint32_t>(s, 20, typeTarget);
  return s + more;
}

TEST(Resources, HostileTreesEndWithAStatusLine) {
  struct Case {
    const char* what;
    std::string section;
    uint32_t error;
  };
  // A directory at 24 with one entry pointing back at itself.
  std::string self(16 + 8, '\0');
  Poke<uint16_t>(self, 14, 1);
  Poke<uint32_t>(self, 16, 1);
  Poke<uint32_t>(self, 20, 0x80000000u | 24);
  // A chain deeper than any real tree: each directory points at the next.
  std::string chain;
  for (uint32_t i = 0; i < 12; ++i) {
    std::string d(24, '\0');
    Poke<uint16_t>(d, 14, 1);
    Poke<uint32_t>(d, 16, 1);
    Poke<uint32_t>(d, 20, 0x80000000u | (24 + 24 * (i + 1)));
    chain += d;
  }
  std::string cut(16, '\0');
  Poke<uint16_t>(cut, 14, 0x8000);  // entries far beyond the view
  const Case cases[] = {
      {"self-referencing", RawTree(6, 0x80000000u | 24, self), ERROR_INVALID_DATA},
      {"root is its own child", RawTree(6, 0x80000000u), ERROR_INVALID_DATA},
      {"very deep", RawTree(6, 0x80000000u | 24, chain), ERROR_INVALID_DATA},
      {"cut short", RawTree(6, 0x80000000u | 24, cut), ERROR_INVALID_DATA},
      {"type 0", RawTree(0, 0), ERROR_INVALID_RESOURCE},
      {"type name past the view", RawTree(0x80000000u | 0x7FFFFF00u, 0), ERROR_INVALID_RESOURCE},
  };
  for (const Case& c : cases) {
    RecordingSink sink;
    ImageProperties p = WithResources([&](PeBuilder& b) { b.RawResources(c.section); }, sink);
    ASSERT_EQ(sink.status.size(), 1u) << c.what;
    std::wstring want = L"ERROR: Failed to parse resources in file: \"";
    EXPECT_EQ(sink.status[0].rfind(want, 0), 0u) << c.what;
    EXPECT_NE(sink.status[0].find(L"image.dll\". (" + std::to_wstring(c.error) + L") "),
              std::wstring::npos)
        << c.what;
    EXPECT_EQ(p.computed & kComputedDirectories, kComputedDirectories) << c.what;
  }

  // Types found before the failure are kept: a data entry for type 6, then
  // a second type entry numbered 0.
  std::string partial(16 + 16 + 16, '\0');
  Poke<uint16_t>(partial, 14, 2);
  Poke<uint32_t>(partial, 16, 6);
  Poke<uint32_t>(partial, 20, 32);  // the data entry at 32
  Poke<uint32_t>(partial, 24, 0);
  RecordingSink sink;
  ImageProperties p = WithResources([&](PeBuilder& b) { b.RawResources(partial); }, sink);
  EXPECT_EQ(p.directories & kDirResourceTypeBits, 0x20000000u);  // "Strs"
  EXPECT_EQ(sink.status.size(), 1u);
}

TEST(Resources, UnmappedDirectory) {
  RecordingSink sink;
  ImageProperties p = WithResources(
      [](PeBuilder& b) { b.Directory(2, 0x900000, 0x100); }, sink);
  EXPECT_EQ(p.directories & kDirResourceTypeBits, 0u);
  ASSERT_EQ(sink.status.size(), 1u);
  EXPECT_NE(sink.status[0].find(L"(13) The data is not valid."), std::wstring::npos);
  // The symbols are read all the same.
  EXPECT_EQ(sink.beginCalls, 1);
}

}  // namespace
}  // namespace tarnix::test
