#pragma once
// The image filters the reader applies to an image's header properties,
// in this order: time stamp (right after the PE signature), then type,
// subsystem, characteristics, directories. A refused image is skipped
// quietly. The search criteria implement it; tests use fakes.
#include <cstdint>

#include "pe/image_properties.h"

namespace tarnix {

// Lets a filter ask for the properties that are computed only on demand.
class ImageFacts {
 public:
  virtual ~ImageFacts() = default;
  virtual const ImageProperties& props() const = 0;
  virtual void EnsureSubsystem() = 0;
  // Header characteristics; the derived bits only when `derived` is set.
  virtual void EnsureCharacteristics(bool derived) = 0;
  // Directory bits; the resource types only when `resources` is set (this
  // parses the resource directory).
  virtual void EnsureDirectories(bool resources) = 0;
  // All of the above: what every delivered result must carry.
  virtual void EnsureAll() {
    EnsureSubsystem();
    EnsureCharacteristics(true);
    EnsureDirectories(true);
  }
};

class ImageFilter {
 public:
  virtual ~ImageFilter() = default;
  virtual bool PassTimeStamp(uint32_t timeStamp) const = 0;
  virtual bool PassType(ImageFacts& image) const = 0;
  virtual bool PassSubsystem(ImageFacts& image) const = 0;
  virtual bool PassCharacteristics(ImageFacts& image) const = 0;
  virtual bool PassDirectories(ImageFacts& image) const = 0;
  // True when no directory filter is set (ROM images need it).
  virtual bool NoDirectoryFilter() const = 0;
};

}  // namespace tarnix
