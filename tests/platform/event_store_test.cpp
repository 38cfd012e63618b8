#include "platform/event_store.h"

#include <gtest/gtest.h>

namespace tarnix {
namespace {

EventRecord Record(int n, uint16_t type = EVENTLOG_ERROR_TYPE) {
  EventRecord r;
  r.eventType = type;
  r.eventId = 0xC0020001;
  r.sourceName = L"Src";
  r.timeGenerated = 1000 + n;
  r.strings = {L"one " + std::to_wstring(n), L"", L"\u0436"};
  return r;
}

std::vector<int64_t> ReadAll(bool forwards, size_t batch) {
  EventStore::Reader reader(forwards);
  std::vector<EventRecord> got;
  std::vector<int64_t> times;
  while (reader.Next(got, batch, 1 << 20) == 0)
    for (const auto& r : got) times.push_back(r.timeGenerated);
  return times;
}

TEST(EventStore, ReadsBothWaysAndKeepsOnlyTheNewestRecords) {
  ASSERT_EQ(EventStore::Clear(), 0u);
  EventStore::SetMaxRecordsForTesting(5);
  for (int i = 0; i < 8; ++i) ASSERT_EQ(EventStore::Report(Record(i)), 0u);
  EventStore::SetMaxRecordsForTesting(kEventStoreMaxRecords);

  uint64_t count = 0;
  ASSERT_EQ(EventStore::Count(count), 0u);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(ReadAll(true, 2), (std::vector<int64_t>{1003, 1004, 1005, 1006, 1007}));
  EXPECT_EQ(ReadAll(false, 3), (std::vector<int64_t>{1007, 1006, 1005, 1004, 1003}));

  EventStore::Reader reader(false);
  std::vector<EventRecord> got;
  ASSERT_EQ(reader.Next(got, 1, 1), 0u);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].sourceName, L"Src");
  EXPECT_EQ(got[0].eventId, 0xC0020001u);
  EXPECT_EQ(got[0].strings, (std::vector<std::wstring>{L"one 7", L"", L"\u0436"}));
  EXPECT_TRUE(EventStore::CheckIntegrity());
}

}  // namespace
}  // namespace tarnix
