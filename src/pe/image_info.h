#pragma once
// The properties of one PE32 or PE32+ image as the reader learns them: the
// time stamp and type at once, the subsystem, characteristics and directory
// bits only when a filter or a delivered result asks for them.
#include <string_view>

#include "pe/image_filter.h"
#include "pe/image_headers.h"
#include "pe/image_properties.h"
#include "pe/image_view.h"
#include "pe/rva.h"

namespace tarnix {

class SymbolSink;

class ImageInfo final : public ImageFacts {
 public:
  // `path` names the file in the status line of a resource directory that
  // fails to parse, which goes to `sink`.
  ImageInfo(const ImageView& view, const ImageHeaders& headers, const SectionMap& sections,
            SymbolSink& sink, std::string_view path, const ImageProperties& initial)
      : view_(view), headers_(headers), sections_(sections), sink_(sink), path_(path),
        props_(initial) {}

  const ImageProperties& props() const override { return props_; }
  ImageProperties& props() { return props_; }
  void EnsureSubsystem() override;
  void EnsureCharacteristics(bool derived) override;
  void EnsureDirectories(bool resources) override;

  const ImageView& view() const { return view_; }
  const ImageHeaders& headers() const { return headers_; }
  const SectionMap& sections() const { return sections_; }
  DataDirectory Directory(uint32_t index) const { return headers_.Directory(view_, index); }

 private:
  bool HasDelayLoadVc6() const;
  bool HasSecurityCookie() const;
  template <class W>
  bool HasSecurityCookieOf() const;
  void CollectResources();

  const ImageView& view_;
  const ImageHeaders& headers_;
  const SectionMap& sections_;
  SymbolSink& sink_;
  std::string_view path_;
  ImageProperties props_;
  bool headerCharacteristics_ = false;
  bool headerDirectories_ = false;
  bool resources_ = false;
};

}  // namespace tarnix
