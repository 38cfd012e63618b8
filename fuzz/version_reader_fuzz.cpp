// Version resources from untrusted bytes: whole images, resource sections
// inside a valid header, and bare version data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pe/bounded_view.h"
#include "pe/version_blocks.h"
#include "pe/version_info.h"
#include "resource_section_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  if (size < 3) return 0;
  const uint8_t mode = data[0] % 4;
  const uint16_t language = static_cast<uint16_t>(data[1] | (data[2] << 8));
  data += 3;
  size -= 3;

  FixedFileInfo fixed;
  std::wstring description, company, product, fileVersion;
  VersionInfoRequest request;
  request.language = language & 0x8000 ? 0 : language;
  request.fixedInfo = &fixed;
  request.description = &description;
  request.company = &company;
  request.product = &product;
  if (!(language & 0x4000)) request.fileVersion = &fileVersion;

  switch (mode) {
    case 0: {
      // Copied so that reads past the end are caught by the sanitizer.
      std::vector<uint8_t> image(data, data + size);
      ReadVersionInfoFromImage(image.data(), image.size(), request);
      break;
    }
    case 1:
    case 2: {
      std::vector<uint8_t> image = fuzz::WrapResourceSection(data, size, mode == 2);
      ReadVersionInfoFromImage(image.data(), image.size(), request);
      break;
    }
    default: {
      std::vector<uint8_t> bytes(data, data + size);
      VersionBlockChooser chooser(0xF, request.language);
      uint32_t error = 0;
      chooser.Parse(BoundedView(bytes.data(), bytes.size()), error);
      break;
    }
  }
  return 0;
}
