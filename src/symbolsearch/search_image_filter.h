#pragma once
// The PE header filters of a search, as the image reader applies them.
#include <cstdint>

#include "pe/image_filter.h"
#include "symbolsearch/search_params.h"

namespace tarnix {

class SearchImageFilter final : public ImageFilter {
 public:
  // Takes the filter fields of `params`; values are cut to their masks.
  explicit SearchImageFilter(const SearchParams& params);

  // Not below FROM nor above TO, when set (unsigned 32-bit seconds).
  bool PassTimeStamp(uint32_t timeStamp) const override;
  // No type set, or the image's type among them.
  bool PassType(ImageFacts& image) const override;
  // No subsystem set, or the image's among them (computed only then).
  bool PassSubsystem(ImageFacts& image) const override;
  // No mask, or the examined bits have the required values. The derived
  // bits are computed only when the mask includes them.
  bool PassCharacteristics(ImageFacts& image) const override;
  // No mask, or every examined directory has its required presence. The
  // resource directory is parsed only when the mask includes resources:
  // required present, the image must have it and either every examined
  // resource type has its required value or, none examined, it holds at
  // least one type; required absent, the image must have none.
  bool PassDirectories(ImageFacts& image) const override;
  bool NoDirectoryFilter() const override { return directoriesMask_ == 0; }

 private:
  uint32_t imageTypes_;
  uint64_t subsystems_;
  uint64_t characteristicsMask_;
  uint64_t characteristicsValues_;
  uint64_t directoriesMask_;
  uint64_t directoriesValues_;
  bool hasFrom_;
  bool hasTo_;
  uint32_t from_;
  uint32_t to_;
};

}  // namespace tarnix
