#include <gtest/gtest.h>

#include <string>

#include "pe/version_blocks.h"
#include "pe/version_info.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "resource_fixture.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

// A request that wants everything, with its results.
struct Versions {
  FixedFileInfo fixed;
  std::wstring description, company, product, fileVersion;
  VersionInfoRequest request;
  uint32_t error = 0;

  explicit Versions(uint16_t language) {
    request.language = language;
    request.fixedInfo = &fixed;
    request.description = &description;
    request.company = &company;
    request.product = &product;
    request.fileVersion = &fileVersion;
  }
  int Read(const std::string& image) {
    SetLastError(0xDEAD);
    int r = ReadVersionInfoFromImage(reinterpret_cast<const uint8_t*>(image.data()),
                                     image.size(), request);
    error = GetLastError();
    return r;
  }
};

std::string VersionImage(const std::vector<Resource>& resources, bool pe64 = false) {
  return BuildImage(resources, pe64).bytes;
}

Resource VersionResource(uint16_t language, const std::string& bytes, uint16_t name = 1) {
  return Resource{16, name, language, bytes, {}};
}

TEST(VersionReader, ImageWithoutResourcesGivesZeroAndNothingFound) {
  for (bool pe64 : {false, true}) {
    Versions v(0x409);
    v.request.found = 0x1234;
    EXPECT_EQ(v.Read(BuildImage({}, pe64).bytes), 0);
    EXPECT_EQ(v.request.found, 0);
    // Resources, but none of them a version.
    EXPECT_EQ(v.Read(VersionImage({Resource{6, 1, 0x409, "abcd", {}}}, pe64)), 0);
    EXPECT_EQ(v.request.found, 0);
  }
}

TEST(VersionReader, OtherLanguageOnlyStillReportsTheFirstBlock) {
  for (bool pe64 : {false, true}) {
    Versions v(0x409);
    EXPECT_EQ(v.Read(VersionImage({VersionResource(0x407, SimpleVersion(0x407, u"Beschreibung",
                                                                       u"1.2 (de)"))},
                                  pe64)),
              0);
    EXPECT_EQ(v.request.found, kVersionFixedInfo | kVersionDescription | kVersionCompany |
                                   kVersionFileVersion);
    EXPECT_EQ(v.description, L"Beschreibung");
    EXPECT_EQ(v.fileVersion, L"1.2 (de)");
    EXPECT_EQ(v.fixed.fileVersionMS, 0x10002u);
    EXPECT_TRUE(v.product.empty());
  }
}

TEST(VersionReader, ChoosesTheRequestedLanguageAmongSeveral) {
  const std::string image =
      VersionImage({VersionResource(0x409, SimpleVersion(0x409, u"Description", u"1.0", 0x10000)),
                    VersionResource(0x407, SimpleVersion(0x407, u"Beschreibung", u"1.0 (de)",
                                                         0x20000))});
  Versions german(0x407);
  EXPECT_EQ(german.Read(image), 1);
  EXPECT_EQ(german.description, L"Beschreibung");
  EXPECT_EQ(german.fixed.fileVersionMS, 0x20000u);
  Versions english(0x409);
  EXPECT_EQ(english.Read(image), 1);
  EXPECT_EQ(english.description, L"Description");
  // Language 0 takes the first block in directory order and answers 0.
  Versions first(0);
  EXPECT_EQ(first.Read(image), 0);
  EXPECT_EQ(first.description, L"Beschreibung");
  EXPECT_EQ(first.request.found & kVersionFixedInfo, kVersionFixedInfo);
  // A language nobody has: the first block stays as the fall-back.
  Versions french(0x40C);
  EXPECT_EQ(french.Read(image), 0);
  EXPECT_EQ(french.description, L"Beschreibung");
}

TEST(VersionReader, AcceptanceNeedsTableAndTranslationInTheLanguage) {
  // German strings but an English translation: not a German block.
  std::string mixed = VersionInfo(
      FixedInfo(1, 2), {StringFileInfo({StringTable(u"040704b0", {VerString(u"FileDescription",
                                                                             u"Mixed")})}),
                        VarFileInfo(0x04B00409)});
  Versions v(0x407);
  EXPECT_EQ(v.Read(VersionImage({VersionResource(0x407, mixed)})), 0);
  EXPECT_EQ(v.description, L"Mixed");

  // Only the wanted strings are looked for and reported.
  Versions some(0x409);
  some.request.company = nullptr;
  some.request.fileVersion = nullptr;
  some.request.product = nullptr;
  EXPECT_EQ(some.Read(VersionImage({VersionResource(0x409, SimpleVersion(0x409, u"D", u"1"))})), 1);
  EXPECT_EQ(some.request.found, kVersionFixedInfo | kVersionDescription);

  // A block in which all four wanted strings are missing is never accepted,
  // so a later block with strings wins even for language 0.
  std::string bare = VersionInfo(FixedInfo(7, 7), {VarFileInfo(0x04B00409)});
  Versions any(0);
  any.Read(VersionImage({VersionResource(0x409, bare, 1),
                         VersionResource(0x409, SimpleVersion(0x409, u"Later", u"2"), 2)}));
  EXPECT_EQ(any.description, L"Later");
}

TEST(VersionReader, StringTableKeyGivesLanguageAndCodePage) {
  EXPECT_EQ(HexQuad(u"040904b0", 0), 0x0409);
  EXPECT_EQ(HexQuad(u"040904b0", 4), 0x04B0);
  EXPECT_EQ(HexQuad(u"04x9zzzz", 0), 0x0409);  // a non-digit counts as 0
  EXPECT_EQ(HexQuad(u"0409", 4), 0);           // a short key reads as zeros
  std::string block = VersionInfo(
      FixedInfo(1, 2), {StringFileInfo({StringTable(u"040904b0", {VerString(u"ProductName",
                                                                             u"Tarnix")})}),
                        VarFileInfo(0x04B00409)});
  VersionBlockChooser chooser(kVersionProduct, 0x409);
  uint32_t error = 0;
  EXPECT_EQ(chooser.Parse(BoundedView(reinterpret_cast<const uint8_t*>(block.data()), block.size()),
                          error),
            1);
  EXPECT_EQ(chooser.held().tableLanguage, 0x0409);
  EXPECT_EQ(chooser.held().tableCodePage, 0x04B0);
  EXPECT_EQ(chooser.held().strings[0], L"Tarnix");
}

// The version resource of `bytes` in an image, read for English.
std::pair<int, uint32_t> ReadBlock(const std::string& bytes) {
  Versions v(0x409);
  int r = v.Read(VersionImage({VersionResource(0x409, bytes)}));
  return {r, v.error};
}

TEST(VersionReader, MalformedBlocksFailWithTheirCodes) {
  const std::string good = SimpleVersion(0x409, u"D", u"1");
  EXPECT_EQ(ReadBlock(good), std::make_pair(1, ERROR_SUCCESS));

  std::string badSignature = VersionInfo(FixedInfo(1, 2, 0x12345678), {});
  EXPECT_EQ(ReadBlock(badSignature), std::make_pair(-1, ERROR_BAD_FORMAT));

  std::string typed = good;
  Put16(typed, 4, 1);
  EXPECT_EQ(ReadBlock(typed), std::make_pair(-1, ERROR_BAD_VERSION_TABLE));

  std::string valueTooLong = good;
  Put16(valueTooLong, 2, static_cast<uint16_t>(good.size()));
  EXPECT_EQ(ReadBlock(valueTooLong), std::make_pair(-1, ERROR_BAD_VERSION_KEY));

  std::string wrongKey = VerBlock(u"VS_VERSION_INFX", 0, FixedInfo(1, 2), 52);
  EXPECT_EQ(ReadBlock(wrongKey), std::make_pair(-1, ERROR_INVALID_ACCESS));
  // The key is compared ignoring case.
  EXPECT_EQ(ReadBlock(VerBlock(u"vs_version_info", 0, FixedInfo(1, 2), 52)).first, 0);

  std::string otherChild = VersionInfo(FixedInfo(1, 2), {VerBlock(u"Other", 1, "", 0)});
  EXPECT_EQ(ReadBlock(otherChild), std::make_pair(-1, ERROR_INVALID_CATEGORY));

  std::string binaryTable = VersionInfo(
      FixedInfo(1, 2), {StringFileInfo({VerBlock(u"040904b0", 2, "", 0, {})})});
  EXPECT_EQ(ReadBlock(binaryTable), std::make_pair(-1, ERROR_BAD_VERSION_TABLE));

  std::string notTranslation = VersionInfo(
      FixedInfo(1, 2), {VerBlock(u"VarFileInfo", 1, "", 0, {VerBlock(u"Other", 0, Dword(1), 4)})});
  EXPECT_EQ(ReadBlock(notTranslation), std::make_pair(-1, ERROR_INVALID_BLOCK));

  // A string whose length cannot even hold its header.
  std::string table = StringTable(u"040904b0", {VerString(u"FileDescription", u"D")});
  std::string shortChild = VersionInfo(FixedInfo(1, 2), {StringFileInfo({table})});
  const size_t stringAt = shortChild.find(Utf16(u"FileDescription")) - 6;
  Put16(shortChild, stringAt, 3);
  EXPECT_EQ(ReadBlock(shortChild), std::make_pair(-1, ERROR_INVALID_FIELD));

  // A table that ends in 4 bytes that cannot hold another block.
  std::string tail = VerBlock(u"040904b0", 1, "", 0, {VerString(u"FileDescription", u"D"),
                                                      std::string(4, '\x01')});
  EXPECT_EQ(ReadBlock(VersionInfo(FixedInfo(1, 2), {StringFileInfo({tail})})),
            std::make_pair(-1, ERROR_BUFFER_OVERFLOW));

  // A child that claims more than its parent holds.
  std::string lying = good;
  const size_t sfi = lying.find(Utf16(u"StringFileInfo")) - 6;
  Put16(lying, sfi, 0x7FF0);
  EXPECT_EQ(ReadBlock(lying), std::make_pair(-1, ERROR_INVALID_BLOCK));

  // A top block longer than the resource.
  std::string truncated = good.substr(0, good.size() / 2);
  EXPECT_EQ(ReadBlock(truncated), std::make_pair(-1, ERROR_INVALID_BLOCK));

  // Zero padding after a block ends the data; more than 16 zero bytes with
  // nothing after them does not. (A German block, so that the parse goes on
  // past it.)
  std::string german = SimpleVersion(0x407, u"D", u"1");
  Pad4(german);
  EXPECT_EQ(ReadBlock(german + std::string(16, '\0')), std::make_pair(0, ERROR_SUCCESS));
  EXPECT_EQ(ReadBlock(german + std::string(24, '\0')), std::make_pair(-1, ERROR_CHECKSUM_MISMATCH));
  EXPECT_EQ(ReadBlock(german + good), std::make_pair(1, ERROR_SUCCESS));
}

TEST(VersionReader, BrokenImagesAndTreesFailWithoutReadingOutside) {
  const BuiltImage built =
      BuildImage({VersionResource(0x409, SimpleVersion(0x409, u"D", u"1"))});
  const std::string& good = built.bytes;
  const ImageLayout& at = built.layout;
  auto read = [](const std::string& image) {
    Versions v(0x409);
    int r = v.Read(image);
    return std::make_pair(r, v.error);
  };
  ASSERT_EQ(read(good), std::make_pair(1, ERROR_SUCCESS));
  EXPECT_EQ(read(std::string(63, 'M')), std::make_pair(-1, ERROR_INVALID_DATA));
  std::string noMz = good;
  noMz[0] = 'X';
  EXPECT_EQ(read(noMz), std::make_pair(-1, ERROR_INVALID_DATA));
  std::string farLfanew = good;
  Put32(farLfanew, 0x3C, static_cast<uint32_t>(good.size() - 100));
  EXPECT_EQ(read(farLfanew), std::make_pair(-1, ERROR_INVALID_DATA));
  std::string rom = good;
  Put16(rom, at.optionalHeader, 0x107);
  EXPECT_EQ(read(rom), std::make_pair(-1, ERROR_INVALID_BLOCK));

  // The resource directory's address in no section.
  std::string unmapped = good;
  Put32(unmapped, at.dataDirectories + 16, 0x90000);
  EXPECT_EQ(read(unmapped), std::make_pair(-1, ERROR_INVALID_DATA));

  // A root directory that claims more entries than the view holds.
  std::string oversized = good;
  Put16(oversized, at.rsrcOffset + 14, 0xFFFF);
  EXPECT_EQ(read(oversized), std::make_pair(-1, ERROR_INVALID_DATA));

  // The tree is root (24 bytes), type directory (24), name directory (24),
  // data entry. A type directory whose entry points back at the root is a
  // cycle.
  std::string cyclic = good;
  Put32(cyclic, at.rsrcOffset + 24 + 16 + 4, 0x80000000u);
  EXPECT_EQ(read(cyclic), std::make_pair(-1, ERROR_INVALID_DATA));

  // A data entry whose address is in no section, and one whose size runs
  // past the view.
  const size_t dataEntry = at.rsrcOffset + 72;
  std::string noSection = good;
  Put32(noSection, dataEntry, 0x500000);
  EXPECT_EQ(read(noSection), std::make_pair(-1, ERROR_INVALID_BLOCK));
  std::string tooBig = good;
  Put32(tooBig, dataEntry + 4, 0x1000000);
  EXPECT_EQ(read(tooBig), std::make_pair(-1, ERROR_INVALID_DATA));

  // Fewer data directories than the resource entry: no resources at all.
  std::string fewDirectories = good;
  Put32(fewDirectories, at.dataDirectories - 4, 2);
  EXPECT_EQ(read(fewDirectories), std::make_pair(0, ERROR_SUCCESS));
}

TEST(VersionReader, ReadsFilesAndRefusesEmptyOnes) {
  TempDir dir;
  const std::string image = VersionImage({VersionResource(0x409, SimpleVersion(0x409, u"On disk", u"3"))});
  Versions v(0x409);
  const std::wstring path = FromUtf8(dir.Write("a.dll", image).string());
  EXPECT_EQ(ReadVersionInfo(path, v.request), 1);
  EXPECT_EQ(v.description, L"On disk");
  EXPECT_EQ(ReadVersionInfo(FromUtf8(dir.Write("empty.dll", "").string()), v.request), -1);
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
  EXPECT_EQ(v.request.found, 0);
  EXPECT_TRUE(v.description.empty());
  EXPECT_EQ(ReadVersionInfo(FromUtf8((dir.path() / "missing.dll").string()), v.request), -1);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace tarnix
