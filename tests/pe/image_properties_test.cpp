#include <gtest/gtest.h>

#include "pe/image_properties.h"
#include "pe/result_kind.h"

namespace tarnix {
namespace {

TEST(ImageProperties, SubsystemBits) {
  EXPECT_EQ(SubsystemBitOf(0), 0x1u);
  EXPECT_EQ(SubsystemBitOf(2), 0x4u);
  EXPECT_EQ(SubsystemBitOf(3), 0x8u);
  EXPECT_EQ(SubsystemBitOf(5), 0x10u);
  EXPECT_EQ(SubsystemBitOf(14), 0x1000u);
  EXPECT_EQ(SubsystemBitOf(16), 0x2000u);
  for (uint32_t other : {4u, 6u, 15u, 17u, 0xFFFFu})
    EXPECT_EQ(SubsystemBitOf(other), kSubsystemOther) << other;
  // Every assigned value has its own bit, listed in the table.
  uint64_t seen = 0;
  for (uint32_t v = 0; v <= 16; ++v) {
    uint64_t bit = SubsystemBitOf(v);
    if (bit == kSubsystemOther) continue;
    EXPECT_EQ(seen & bit, 0u);
    seen |= bit;
  }
  EXPECT_EQ(seen | kSubsystemOther, [] {
    uint64_t all = 0;
    for (const BitLabel& l : kSubsystemLabels) all |= l.bit;
    return all;
  }());
}

TEST(ImageProperties, CharacteristicBits) {
  EXPECT_EQ(CharacteristicBitsOf(0, 0x0100), 0x1u);           // DEP
  EXPECT_EQ(CharacteristicBitsOf(0, 0x0040), 0x2u);           // ASLR
  EXPECT_EQ(CharacteristicBitsOf(0, 0x8000), 0x400u);         // TermSrvrAwr
  EXPECT_EQ(CharacteristicBitsOf(0, 0x0001), 0u);             // not listed
  EXPECT_EQ(CharacteristicBitsOf(0x2000, 0), 0x2000000u);     // Dll
  EXPECT_EQ(CharacteristicBitsOf(0x0002, 0), 0x100000u);      // Exe
  EXPECT_EQ(CharacteristicBitsOf(0x0020, 0), 0x8000000u);     // LgAddrAware
  EXPECT_EQ(CharacteristicBitsOf(0x0010, 0), 0u);             // not listed
  uint64_t all = CharacteristicBitsOf(0xFFFF, 0xFFFF);
  uint64_t labelled = 0;
  for (const BitLabel& l : kCharacteristicLabels) labelled |= l.bit;
  EXPECT_EQ(all, labelled & ~kCharDerivedBits);
  EXPECT_STREQ(kCharacteristicLabels[23].label, L"DelayLdVC6");
  EXPECT_STREQ(kCharacteristicLabels[24].label, L"BuffSecChks");
}

TEST(ImageProperties, DirectoryAndResourceTypeBits) {
  EXPECT_EQ(DirectoryBitOf(0), 0x1000u);
  EXPECT_EQ(DirectoryBitOf(1), 0x800u);
  EXPECT_EQ(DirectoryBitOf(2), kDirResources);
  EXPECT_EQ(DirectoryBitOf(3), 0x1u);
  EXPECT_EQ(DirectoryBitOf(8), 0x2000u);
  EXPECT_EQ(DirectoryBitOf(14), 0x400u);
  EXPECT_EQ(DirectoryBitOf(15), 0u);

  EXPECT_EQ(ResourceTypeBitOf(1), 0x1000000u);
  EXPECT_EQ(ResourceTypeBitOf(12), 0x800000000u);
  EXPECT_EQ(ResourceTypeBitOf(14), 0x1000000000u);
  EXPECT_EQ(ResourceTypeBitOf(16), 0x2000000000u);
  EXPECT_EQ(ResourceTypeBitOf(19), 0x8000000000u);
  EXPECT_EQ(ResourceTypeBitOf(24), 0x100000000000u);
  for (uint32_t none : {0u, 13u, 15u, 18u}) EXPECT_EQ(ResourceTypeBitOf(none), 0u) << none;
  EXPECT_EQ(ResourceTypeBitOf(25), kResourceTypeOther);
  EXPECT_EQ(ResourceTypeBitOf(0xFFFF), kResourceTypeOther);
  // The labels list the bits in the same order as the numbers.
  size_t i = 0;
  for (uint32_t type = 1; type <= 24; ++type)
    if (uint64_t bit = ResourceTypeBitOf(type)) {
      EXPECT_EQ(kResourceTypeLabels[i++].bit, bit);
    }
  EXPECT_EQ(i, 21u);
  for (const BitLabel& l : kResourceTypeLabels) EXPECT_EQ(l.bit & ~kDirResourceTypeBits, 0u);
}

TEST(ImageProperties, Texts) {
  EXPECT_STREQ(BindingText(kBindingNone), L"");
  EXPECT_STREQ(BindingText(kBindingUnbound), L"Unbound");
  EXPECT_STREQ(BindingText(kBindingBound), L"Bound");
  EXPECT_STREQ(BindingText(kBindingBoundOld), L"Bound (old)");
  EXPECT_EQ(ResultKindText(kKindImport), L"Import");
  EXPECT_EQ(ResultKindText(kKindExportForwardedCpp), L"Export Forwarded (C++)");
  EXPECT_EQ(ResultKindText(kKindDelayImportOrdinal), L"Delay-Load Import (Ordinal)");
  EXPECT_EQ(ResultKindText(kKindDelayImportedLibrary), L"Delay-Load Imported Library");
  EXPECT_EQ(ResultKindText(kKindImage), L"Image");
  EXPECT_EQ(ResultKindText(0), L"Unrecognized value: 0x0");
  EXPECT_EQ(ResultKindText(0x1F), L"Unrecognized value: 0x1F");
  EXPECT_STREQ(kImageTypeLabels[2].label, L"ROM Img");
  EXPECT_STREQ(kDirectoryLabels[10].label, L".NET");
}

}  // namespace
}  // namespace tarnix
