// API set schemas from untrusted bytes: bare schemas of any version, and
// images whose ".apiset" section holds the bytes; every schema read is then
// asked for a few names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pe/api_set_schema.h"
#include "pe/bounded_view.h"
#include "pe/mapped_image.h"

namespace {

// A minimal PE32+ image with one section named ".apiset" holding `data`.
std::vector<uint8_t> WrapInImage(const uint8_t* data, size_t size) {
  constexpr uint32_t kLfanew = 0x40, kOptional = kLfanew + 24, kSections = kOptional + 240;
  constexpr uint32_t kRaw = 0x200;
  std::vector<uint8_t> image(kRaw + size, 0);
  auto put16 = [&](size_t at, uint16_t v) { image[at] = v & 0xFF; image[at + 1] = v >> 8; };
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) image[at + i] = (v >> (8 * i)) & 0xFF;
  };
  put16(0, 0x5A4D);
  put32(0x3C, kLfanew);
  put32(kLfanew, 0x00004550);
  put16(kLfanew + 4, 0x8664);
  put16(kLfanew + 6, 1);
  put16(kLfanew + 20, 240);
  put16(kOptional, 0x20B);
  put32(kOptional + 32, 0x1000);
  put32(kOptional + 36, 0x200);
  put32(kOptional + 108, 16);
  const char name[8] = {'.', 'a', 'p', 'i', 's', 'e', 't', 0};
  for (int i = 0; i < 8; ++i) image[kSections + i] = static_cast<uint8_t>(name[i]);
  put32(kSections + 8, static_cast<uint32_t>(size));
  put32(kSections + 12, 0x1000);
  put32(kSections + 16, static_cast<uint32_t>(size));
  put32(kSections + 20, kRaw);
  for (size_t i = 0; i < size; ++i) image[kRaw + i] = data[i];
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  if (size < 1) return 0;
  const uint8_t mode = data[0] % 3;
  ++data;
  --size;
  ApiSetSchema schema;
  // Copied so that reads past the end are caught by the sanitizer.
  std::vector<uint8_t> bytes(data, data + size);
  if (mode == 0) {
    schema.Parse(BoundedView(bytes.data(), bytes.size()));
  } else {
    std::vector<uint8_t> image =
        mode == 1 ? WrapInImage(bytes.data(), bytes.size()) : std::move(bytes);
    MappedImage mapped;
    if (mapped.OpenMemory(image.data(), image.size())) schema.Read(mapped);
  }
  std::wstring host;
  for (const wchar_t* name : {L"api-ms-win-core-file-l1-2-0.dll", L"ext-ms-win-x-l1-1-0",
                              L"api-", L"api-ms", L"API-MS-WIN-CORE-HEAP-L1-1-0"})
    schema.Resolve(name, L"kernel32.dll", host);
  return 0;
}
