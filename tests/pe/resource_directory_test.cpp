#include <gtest/gtest.h>

#include <string>

#include "pe/resource_directory.h"
#include "pe/resource_image.h"
#include "platform/win_errors.h"
#include "support/pe_builder.h"

namespace tarnix {
namespace {

BoundedView View(const std::string& bytes) {
  return BoundedView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(ResourceDirectory, FindsByNumberAndNameAndListsWhatIsThere) {
  for (auto kind : {test::PeBuilder::Kind::kPe32, test::PeBuilder::Kind::kPe64}) {
    const std::string image = test::PeBuilder(kind)
                                  .Resource(test::ResourceId(u"MUI"), 1, 0x409, "mui")
                                  .Resource(11, 1, 0x409, "english")
                                  .Resource(11, 1, 0x407, "german")
                                  .Resource(11, test::ResourceId(u"EXTRA"), 0, "named")
                                  .Resource(16, 1, 0x409, "version")
                                  .Build()
                                  .bytes;
    ResourceImage headers;
    ASSERT_EQ(headers.Parse(View(image)), ResourceImage::Status::kOk);
    ResourceDirectory resources(headers);
    ASSERT_EQ(resources.status(), ResourceDirectory::Status::kOk);

    ResourceData data;
    uint32_t error = 0;
    ASSERT_TRUE(resources.Find(11, 1, 0x407, data, error));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.bytes.data()), data.bytes.size()),
              "german");
    // Names compare ignoring case.
    ASSERT_TRUE(resources.Find(11, ResourceId(u"extra"), 0, data, error));
    EXPECT_EQ(data.size, 5u);
    EXPECT_TRUE(resources.HasType(ResourceId(u"mui")));

    EXPECT_FALSE(resources.Find(6, 1, 0x409, data, error));
    EXPECT_EQ(error, ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_FALSE(resources.Find(11, 2, 0x409, data, error));
    EXPECT_EQ(error, ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_FALSE(resources.Find(11, 1, 0x40C, data, error));
    EXPECT_EQ(error, ERROR_RESOURCE_LANG_NOT_FOUND);

    // Named entries come first in a directory.
    const std::vector<ResourceId> names = resources.Names(11);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0] == ResourceId(u"EXTRA"));
    EXPECT_TRUE(names[1] == ResourceId(1));
    EXPECT_EQ(resources.Languages(11, 1), (std::vector<uint16_t>{0x407, 0x409}));

    int visited = 0;
    EXPECT_EQ(resources.ForEachData(11, [&](const ResourceData& d) {
      EXPECT_TRUE(d.language == 0 || d.language == 0x407 || d.language == 0x409);
      return ++visited < 2;  // stop after the second
    }),
              ResourceDirectory::Status::kOk);
    EXPECT_EQ(visited, 2);
  }
}

TEST(ResourceDirectory, ImageWithoutResources) {
  const std::string image = test::PeBuilder().Build().bytes;
  ResourceImage headers;
  ASSERT_EQ(headers.Parse(View(image)), ResourceImage::Status::kOk);
  ResourceDirectory resources(headers);
  EXPECT_EQ(resources.status(), ResourceDirectory::Status::kNoResources);
  ResourceData data;
  uint32_t error = 0;
  EXPECT_FALSE(resources.Find(11, 1, 0x409, data, error));
  EXPECT_EQ(error, ERROR_RESOURCE_DATA_NOT_FOUND);
  EXPECT_TRUE(resources.Names(11).empty());
}

}  // namespace
}  // namespace tarnix
