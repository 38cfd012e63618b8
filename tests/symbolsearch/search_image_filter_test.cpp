#include "symbolsearch/search_image_filter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "symbolsearch/folder_location.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

constexpr uint64_t kCharDll = 0x2000000;
constexpr uint64_t kDirExports = 0x1000;
constexpr uint64_t kDirImports = 0x800;
constexpr uint64_t kResIcon = 0x4000000;       // resource types
constexpr uint64_t kResVersion = 0x2000000000;

// An image whose lazily computed facts are filled only when asked for.
class FakeImage : public ImageFacts {
 public:
  explicit FakeImage(uint32_t type = kImageType32) { props_.imageType = type; }
  const ImageProperties& props() const override { return props_; }
  void EnsureSubsystem() override {
    ++subsystemAsks;
    props_.subsystemBit = subsystem;
  }
  void EnsureCharacteristics(bool derived) override {
    derivedAsked = derivedAsked || derived;
    props_.characteristics = characteristics & (derived ? ~0ull : ~kCharDerivedBits);
  }
  void EnsureDirectories(bool resources) override {
    resourcesAsked = resourcesAsked || resources;
    props_.directories = directories & (resources ? ~0ull : ~kDirResourceTypeBits);
  }

  uint64_t subsystem = 0x4;
  uint64_t characteristics = 0;
  uint64_t directories = 0;
  int subsystemAsks = 0;
  bool derivedAsked = false;
  bool resourcesAsked = false;

 private:
  ImageProperties props_;
};

TEST(SearchImageFilter, EmptyFiltersPassEverythingWithoutComputing) {
  SearchImageFilter filter{SearchParams()};
  FakeImage image;
  EXPECT_TRUE(filter.PassTimeStamp(0));
  EXPECT_TRUE(filter.PassTimeStamp(0xFFFFFFFF));
  EXPECT_TRUE(filter.PassType(image));
  EXPECT_TRUE(filter.PassSubsystem(image));
  EXPECT_TRUE(filter.PassCharacteristics(image));
  EXPECT_TRUE(filter.PassDirectories(image));
  EXPECT_TRUE(filter.NoDirectoryFilter());
  EXPECT_EQ(image.subsystemAsks, 0);
}

TEST(SearchImageFilter, TypeAndSubsystem) {
  SearchParams p;
  p.imageTypes = kImageType64 | kImageTypeRom;
  p.subsystems = 0x2 | 0x4;
  SearchImageFilter filter(p);
  FakeImage pe32(kImageType32), pe64(kImageType64), rom(kImageTypeRom);
  EXPECT_FALSE(filter.PassType(pe32));
  EXPECT_TRUE(filter.PassType(pe64));
  EXPECT_TRUE(filter.PassType(rom));
  EXPECT_TRUE(filter.PassSubsystem(pe64));
  EXPECT_EQ(pe64.subsystemAsks, 1);
  pe64.subsystem = 0x8;
  EXPECT_FALSE(filter.PassSubsystem(pe64));
}

TEST(SearchImageFilter, Characteristics) {
  SearchParams p;
  p.characteristicsMask = kCharDll;  // "Dll" must be 0
  p.characteristicsValues = 0;
  SearchImageFilter filter(p);
  FakeImage exe, dll;
  exe.characteristics = 0x2;
  dll.characteristics = 0x2 | kCharDll;
  EXPECT_TRUE(filter.PassCharacteristics(exe));
  EXPECT_FALSE(filter.PassCharacteristics(dll));
  EXPECT_FALSE(exe.derivedAsked);

  // Values outside the mask do not count; derived bits are computed only
  // when examined.
  p.characteristicsMask = kCharDll | kCharDelayLoadVc6;
  p.characteristicsValues = kCharDll | kCharDelayLoadVc6 | 0x2;
  SearchImageFilter derived(p);
  dll.characteristics |= kCharDelayLoadVc6;
  EXPECT_TRUE(derived.PassCharacteristics(dll));
  EXPECT_TRUE(dll.derivedAsked);
  dll.characteristics &= ~kCharDelayLoadVc6;
  EXPECT_FALSE(derived.PassCharacteristics(dll));
}

TEST(SearchImageFilter, DirectoriesWithoutResources) {
  SearchParams p;
  p.directoriesMask = kDirExports | kDirImports;
  p.directoriesValues = kDirExports;  // exports present, imports absent
  SearchImageFilter filter(p);
  EXPECT_FALSE(filter.NoDirectoryFilter());
  FakeImage image;
  image.directories = kDirExports | kDirResources | kResIcon;
  EXPECT_TRUE(filter.PassDirectories(image));
  EXPECT_FALSE(image.resourcesAsked);
  image.directories = kDirExports | kDirImports;
  EXPECT_FALSE(filter.PassDirectories(image));
  image.directories = 0;
  EXPECT_FALSE(filter.PassDirectories(image));
}

TEST(SearchImageFilter, ResourcesRequiredAbsent) {
  SearchParams p;
  p.directoriesMask = kDirResources | kDirExports;
  p.directoriesValues = kDirExports;
  SearchImageFilter filter(p);
  FakeImage image;
  image.directories = kDirExports;
  EXPECT_TRUE(filter.PassDirectories(image));
  EXPECT_TRUE(image.resourcesAsked);
  // No resources, but the other examined directory is wrong.
  image.directories = 0;
  EXPECT_FALSE(filter.PassDirectories(image));
  image.directories = kDirExports | kDirResources;
  EXPECT_FALSE(filter.PassDirectories(image));
}

TEST(SearchImageFilter, ResourcesRequiredPresent) {
  SearchParams p;
  p.directoriesMask = kDirResources;
  p.directoriesValues = kDirResources;
  SearchImageFilter any(p);
  FakeImage image;
  image.directories = kDirResources | kResVersion;
  EXPECT_TRUE(any.PassDirectories(image));
  image.directories = kDirResources;  // a resource directory without types
  EXPECT_FALSE(any.PassDirectories(image));
  image.directories = 0;
  EXPECT_FALSE(any.PassDirectories(image));

  // Examined types must have their required values: icon present, version absent.
  p.directoriesMask = kDirResources | kResIcon | kResVersion;
  p.directoriesValues = kDirResources | kResIcon;
  SearchImageFilter typed(p);
  image.directories = kDirResources | kResIcon;
  EXPECT_TRUE(typed.PassDirectories(image));
  image.directories = kDirResources | kResIcon | kResVersion;
  EXPECT_FALSE(typed.PassDirectories(image));
  image.directories = kDirResources | kResVersion;
  EXPECT_FALSE(typed.PassDirectories(image));
  image.directories = kResIcon;
  EXPECT_FALSE(typed.PassDirectories(image));
}

TEST(SearchImageFilter, TimeStampBounds) {
  SearchParams p;
  p.timeStampFrom = p.timeStampTo = 1;  // set
  p.fromSeconds = p.toSeconds = 1600000000;
  SearchImageFilter same(p);
  EXPECT_TRUE(same.PassTimeStamp(1600000000));
  EXPECT_FALSE(same.PassTimeStamp(1599999999));
  EXPECT_FALSE(same.PassTimeStamp(1600000001));

  // 1970-01-01 00:00:00 is a bound of its own, not "not set".
  p.timeStampFrom = 0;
  p.toSeconds = 0;
  SearchImageFilter epoch(p);
  EXPECT_TRUE(epoch.PassTimeStamp(0));
  EXPECT_FALSE(epoch.PassTimeStamp(1));

  p.timeStampTo = 0;
  p.timeStampFrom = 1;
  p.fromSeconds = 0x80000000;  // compared unsigned
  SearchImageFilter high(p);
  EXPECT_TRUE(high.PassTimeStamp(0xFFFFFFFF));
  EXPECT_FALSE(high.PassTimeStamp(0x7FFFFFFF));
}

TEST(FolderLocation, MapsToTheWindowsRoot) {
  test::TempDir t("locations");
  for (const char* d : {"c/Windows/System32/drivers", "c/Windows/SysWOW64", "c/Program Files",
                        "c/Program Files (x86)"})
    std::filesystem::create_directories(t.path() / d);
  WindowsRootSearch where;
  where.environment = t.path() / "c/Windows";
  const WindowsRoot root = WindowsRoot::Discover(where);
  const std::wstring base = FromUtf8(t.path().string());
  EXPECT_EQ(FolderLocationPath(FolderLocation::kSystem64, root), base + L"/c/Windows/System32/");
  EXPECT_EQ(FolderLocationPath(FolderLocation::kSystem32, root), base + L"/c/Windows/SysWOW64/");
  EXPECT_EQ(FolderLocationPath(FolderLocation::kProgramFiles64, root), base + L"/c/Program Files");
  EXPECT_EQ(FolderLocationPath(FolderLocation::kProgramFiles32, root),
            base + L"/c/Program Files (x86)");
  EXPECT_EQ(FolderLocationPath(FolderLocation::kDrivers, root),
            base + L"/c/Windows/System32/drivers");
  EXPECT_EQ(FolderLocationPath(FolderLocation::kSystem64, WindowsRoot()), L"");
  EXPECT_STREQ(kFolderLocationItems[1].menuText, L"S&ystem32 (32-bit)");
}

}  // namespace
}  // namespace tarnix
