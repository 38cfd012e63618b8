// Message tables from untrusted bytes: bare RT_MESSAGETABLE data, and
// resource sections inside a valid header looked up as the formatter does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pe/bounded_view.h"
#include "pe/message_table.h"
#include "pe/resource_directory.h"
#include "pe/resource_image.h"
#include "resource_section_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  if (size < 5) return 0;
  const uint8_t mode = data[0] % 3;
  const uint32_t id = static_cast<uint32_t>(data[1] | (data[2] << 8) | (data[3] << 16) |
                                            (static_cast<uint32_t>(data[4]) << 24));
  data += 5;
  size -= 5;

  std::wstring text;
  size_t visited = 0;
  auto count = [&](uint32_t, const std::wstring&) { return ++visited < 100000; };
  if (mode == 0) {
    std::vector<uint8_t> bytes(data, data + size);
    MessageTable table(BoundedView(bytes.data(), bytes.size()));
    table.Find(id, text);
    table.Find(id & 0xFF, text);
    table.ForEach(count);
    return 0;
  }
  std::vector<uint8_t> image = fuzz::WrapResourceSection(data, size, mode == 2);
  ResourceImage headers;
  if (headers.Parse(BoundedView(image.data(), image.size())) != ResourceImage::Status::kOk)
    return 0;
  ResourceDirectory resources(headers);
  const ResourceId type(kResourceTypeMessageTable);
  for (const ResourceId& name : resources.Names(type)) {
    for (uint16_t language : resources.Languages(type, name)) {
      ResourceData found;
      uint32_t error = 0;
      if (!resources.Find(type, name, language, found, error)) continue;
      MessageTable table(found.bytes);
      table.Find(id, text);
      table.ForEach(count);
    }
  }
  resources.ForEachData(kResourceTypeMessageTable, [](const ResourceData&) { return true; });
  return 0;
}
