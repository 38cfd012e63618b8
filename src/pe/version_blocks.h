#pragma once
// The version-information blocks of a version resource: the parser that
// reads them and the choice of the block in the wanted language.
#include <cstdint>
#include <string>

#include "pe/bounded_view.h"
#include "pe/version_info.h"

namespace tarnix {

// What one VS_VERSION_INFO block holds, as far as it was parsed.
struct VersionBlock {
  bool hasFixedInfo = false;
  FixedFileInfo fixedInfo;
  // Indexed by the bit position of kVersionProduct .. kVersionFileVersion.
  std::wstring strings[4];
  uint16_t taken = 0;  // kVersion* string bits taken
  bool hasStringTable = false;
  uint16_t tableLanguage = 0;
  uint16_t tableCodePage = 0;
  bool hasTranslation = false;
  uint32_t translation = 0;  // language in the low 16 bits, code page in the high
};

// Parses version resources one after the other, keeping the first block as
// the fall-back and stopping at the first block that is accepted.
class VersionBlockChooser {
 public:
  // `wanted`: the kVersion* string bits to take; `language`: 0 for the
  // first block, else the language both the string table and the
  // translation must have.
  VersionBlockChooser(uint16_t wanted, uint16_t language);

  // Parses the data of one resource. Answers 1 when a block was accepted
  // (the walk ends), 0 when none was, -1 on a malformed block with `error`
  // set.
  int Parse(BoundedView data, uint32_t& error);

  // The first block parsed, or the accepted one.
  const VersionBlock& held() const { return held_; }
  bool accepted() const { return accepted_; }

 private:
  int ParseBlock(BoundedView data, uint64_t at, uint64_t end, VersionBlock& block,
                 uint32_t& error) const;
  int ParseStringFileInfo(BoundedView data, uint64_t at, uint64_t end, VersionBlock& block,
                          uint32_t& error) const;
  int ParseVarFileInfo(BoundedView data, uint64_t at, uint64_t end, VersionBlock& block,
                       uint32_t& error) const;
  bool Accept(const VersionBlock& block) const;

  uint16_t wanted_;
  uint16_t language_;
  bool haveFirst_ = false;
  bool accepted_ = false;
  VersionBlock held_;
};

// The four hexadecimal digits of `key` at `from` as a number; a character
// that is not a hexadecimal digit counts as 0.
uint16_t HexQuad(const std::u16string& key, size_t from);

}  // namespace tarnix
