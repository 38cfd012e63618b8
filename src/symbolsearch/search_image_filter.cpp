#include "symbolsearch/search_image_filter.h"

namespace tarnix {

SearchImageFilter::SearchImageFilter(const SearchParams& p)
    : imageTypes_(p.imageTypes),
      subsystems_(p.subsystems),
      characteristicsMask_(p.characteristicsMask),
      characteristicsValues_(p.characteristicsValues & p.characteristicsMask),
      directoriesMask_(p.directoriesMask),
      directoriesValues_(p.directoriesValues & p.directoriesMask),
      // A bound is set by its FILETIME; 1970-01-01 00:00:00 is a real bound
      // of 0 seconds.
      hasFrom_(p.timeStampFrom != 0),
      hasTo_(p.timeStampTo != 0),
      from_(p.fromSeconds),
      to_(p.toSeconds) {}

bool SearchImageFilter::PassTimeStamp(uint32_t timeStamp) const {
  if (hasFrom_ && timeStamp < from_) return false;
  return !(hasTo_ && timeStamp > to_);
}

bool SearchImageFilter::PassType(ImageFacts& image) const {
  return imageTypes_ == 0 || (image.props().imageType & imageTypes_) != 0;
}

bool SearchImageFilter::PassSubsystem(ImageFacts& image) const {
  if (subsystems_ == 0) return true;
  image.EnsureSubsystem();
  return (image.props().subsystemBit & subsystems_) != 0;
}

bool SearchImageFilter::PassCharacteristics(ImageFacts& image) const {
  if (characteristicsMask_ == 0) return true;
  image.EnsureCharacteristics((characteristicsMask_ & kCharDerivedBits) != 0);
  return (image.props().characteristics & characteristicsMask_) == characteristicsValues_;
}

bool SearchImageFilter::PassDirectories(ImageFacts& image) const {
  if (directoriesMask_ == 0) return true;
  const bool resources = (directoriesMask_ & kDirResources) != 0;
  image.EnsureDirectories(resources);
  const uint64_t dirs = image.props().directories;

  // Resource types are known only when the resource directory is parsed,
  // so without the resources bit they are not examined.
  const uint64_t plain = directoriesMask_ & ~(kDirResources | kDirResourceTypeBits);
  if ((dirs & plain) != (directoriesValues_ & plain)) return false;
  if (!resources) return true;

  if (!(directoriesValues_ & kDirResources)) return (dirs & kDirResources) == 0;
  if (!(dirs & kDirResources)) return false;
  const uint64_t types = directoriesMask_ & kDirResourceTypeBits;
  if (types) return (dirs & types) == (directoriesValues_ & types);
  return (dirs & kDirResourceTypeBits) != 0;
}

}  // namespace tarnix
