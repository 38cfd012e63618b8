// The reader's header checks in their fixed order, each with its location
// code and error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "pe/image_reader.h"
#include "platform/win_errors.h"
#include "reader_fakes.h"

namespace tarnix::test {
namespace {

BuiltImage Sample(PeBuilder::Kind kind = PeBuilder::Kind::kPe64) {
  return PeBuilder(kind)
      .Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 1)}})
      .Build();
}

TEST(HeaderChecks, FileSizeAndOpening) {
  RecordingSink sink;
  ReadOutcome r = ReadBytes(std::string(64, 'M'), sink);
  EXPECT_EQ(r.result, kReadFailed);
  EXPECT_EQ(r.location, kLocationTooSmall);
  EXPECT_EQ(r.error, ERROR_FILE_TOO_SMALL);

  // 65 bytes pass the size check; e_lfanew 0 then fits the page-sized view
  // and the missing signature refuses it...
  r = ReadBytes(std::string(65, '\0'), sink);
  EXPECT_EQ(r.location, kLocationSignature);
  EXPECT_EQ(r.error, ERROR_BAD_EXE_FORMAT);
  // ...while an e_lfanew whose headers would end past the view does earlier.
  std::string far(65, '\0');
  Poke<uint32_t>(far, 0x3C, 4000);
  r = ReadBytes(far, sink);
  EXPECT_EQ(r.location, kLocationLfanew);
  EXPECT_EQ(r.error, ERROR_BAD_EXE_FORMAT);
  Poke<uint32_t>(far, 0x3C, 0xFFFFFFF0);  // no wrap-around
  EXPECT_EQ(ReadBytes(far, sink).location, kLocationLfanew);

  TempDir dir;
  uint32_t location = 0;
  EXPECT_EQ(ReadImage((dir.path() / "missing.dll").string(), {}, sink, nullptr, location),
            kReadFailed);
  EXPECT_EQ(location, kLocationOpen);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadImage(dir.path().string(), {}, sink, nullptr, location), kReadFailed);
  EXPECT_EQ(location, kLocationOpen);

  // Larger than 4 GiB: a sparse file costs no disk space.
  std::filesystem::path huge = dir.path() / "huge.dll";
  std::ofstream(huge).put('M');
  ASSERT_EQ(truncate(huge.c_str(), 0x100000001ll), 0);
  EXPECT_EQ(ReadImage(huge.string(), {}, sink, nullptr, location), kReadFailed);
  EXPECT_EQ(location, kLocationTooLarge);
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
  EXPECT_TRUE(sink.handed.empty());
}

TEST(HeaderChecks, Signatures) {
  BuiltImage img = Sample();
  RecordingSink sink;
  // "MZ" is not required.
  std::string noMz = img.bytes;
  Poke<uint16_t>(noMz, 0, 0);
  ReadOutcome r = ReadBytes(noMz, sink);
  EXPECT_EQ(r.result, kReadDone);
  EXPECT_EQ(r.error, ERROR_SUCCESS);
  EXPECT_EQ(sink.Names(), std::vector<std::string>{"CreateFileW"});

  std::string ne = img.bytes;
  Poke<uint32_t>(ne, img.layout.lfanew, 0x0000454E);
  r = ReadBytes(ne, sink);
  EXPECT_EQ(r.location, kLocationNeImage);
  EXPECT_EQ(r.error, ERROR_INVALID_NE_IMAGE);

  std::string le = img.bytes;
  Poke<uint32_t>(le, img.layout.lfanew, 0x0000454C);
  r = ReadBytes(le, sink);
  EXPECT_EQ(r.location, kLocationSignature);
  EXPECT_EQ(r.error, ERROR_BAD_EXE_FORMAT);

  std::string magic = img.bytes;
  Poke<uint16_t>(magic, img.layout.optionalHeader, 0x10C);
  r = ReadBytes(magic, sink);
  EXPECT_EQ(r.location, kLocationMagic);
  EXPECT_EQ(r.error, ERROR_BAD_FORMAT);
}

TEST(HeaderChecks, ZeroAlignmentsOrSectionCount) {
  for (PeBuilder::Kind kind : {PeBuilder::Kind::kPe32, PeBuilder::Kind::kPe64}) {
    BuiltImage img = Sample(kind);
    for (uint32_t field : {img.layout.optionalHeader + 32, img.layout.optionalHeader + 36,
                           img.layout.lfanew + 6}) {
      std::string bytes = img.bytes;
      if (field == img.layout.lfanew + 6)
        Poke<uint16_t>(bytes, field, 0);
      else
        Poke<uint32_t>(bytes, field, 0);
      RecordingSink sink;
      ReadOutcome r = ReadBytes(bytes, sink);
      EXPECT_EQ(r.result, kReadFailed);
      EXPECT_EQ(r.location, kLocationHeaderValues);
      EXPECT_EQ(r.error, ERROR_BAD_EXE_FORMAT);
    }
  }
}

TEST(HeaderChecks, TimeStampFilterComesFirst) {
  // An image refused by its time stamp is skipped quietly, even when a later
  // check would have refused it with an error.
  BuiltImage img = PeBuilder().TimeStamp(1000).Build();
  Poke<uint16_t>(img.bytes, img.layout.optionalHeader, 0x999);
  ScriptedFilter filter;
  filter.timeStamp = false;
  RecordingSink sink;
  ReadOutcome r = ReadBytes(img.bytes, sink, {}, &filter);
  EXPECT_EQ(r.result, kReadDone);
  EXPECT_EQ(r.error, ERROR_SUCCESS);
  EXPECT_EQ(filter.asked, std::vector<std::string>{"time"});
  EXPECT_EQ(sink.beginCalls, 0);
}

TEST(HeaderChecks, BothBitnesses) {
  for (PeBuilder::Kind kind : {PeBuilder::Kind::kPe32, PeBuilder::Kind::kPe64}) {
    RecordingSink sink;
    ScriptedFilter filter;
    ReadOutcome r = ReadBytes(Sample(kind).bytes, sink, {}, &filter);
    EXPECT_EQ(r.result, kReadDone);
    EXPECT_EQ(filter.seen.imageType, kind == PeBuilder::Kind::kPe32 ? kImageType32 : kImageType64);
    EXPECT_EQ(filter.seen.timeStamp, 0x5F000000u);
    EXPECT_EQ(sink.Names(), std::vector<std::string>{"CreateFileW"});
  }
}

}  // namespace
}  // namespace tarnix::test
