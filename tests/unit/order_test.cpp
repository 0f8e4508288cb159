// The date order must be exactly the exchange sort's, equal stamps included.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "filelist/stamp_order.h"
#include "list_helpers.h"
#include "platform/test_hooks.h"

namespace {

// The exchange sort on a plain array, carrying each entry's first index.
std::vector<uint32_t> ReferenceOrder(std::vector<uint32_t> stamps) {
  std::vector<uint32_t> index(stamps.size());
  for (size_t i = 0; i < index.size(); i++) index[i] = static_cast<uint32_t>(i);
  for (size_t a = 0; a < stamps.size(); a++)
    for (size_t b = a + 1; b < stamps.size(); b++)
      if (stamps[a] > stamps[b]) {
        std::swap(stamps[a], stamps[b]);
        std::swap(index[a], index[b]);
      }
  return index;
}

std::vector<uint32_t> Order(const std::vector<uint32_t>& stamps) {
  std::vector<uint32_t> order(stamps.size());
  std::vector<uint64_t> scratch(ExchangeSortScratch(stamps.size()));
  ExchangeSortOrder(stamps.data(), stamps.size(), order.data(), scratch.data());
  return order;
}

std::vector<ListItem> Items(const std::vector<uint32_t>& stamps) {
  std::vector<ListItem> items;
  for (size_t i = 0; i < stamps.size(); i++) items.push_back(ListItem{"f" + std::to_string(i), stamps[i]});
  return items;
}

// Sorts the list with the program's ordering and answers whether it gives
// the literal procedure's order; and whether, without memory for its working
// arrays, the ordering falls back to its sort in place and gives the same
// order as with it.
::testing::AssertionResult ListOrderMatches(const std::vector<uint32_t>& stamps) {
  std::vector<ListItem> items = Items(stamps), sorted[2];
  for (long withoutMemory : {0, 1}) {
    BuildList(items);
    SetBlockFaults(withoutMemory, 0);
    SortByStamp();
    BlockHandle after = AllocBlock(1);  // fails when the ordering never asked for memory
    SetBlockFaults(0, 0);
    if (after == nullptr && !stamps.empty())
      return ::testing::AssertionFailure() << "the ordering took no memory that could fail";
    if (after != nullptr) FreeBlock(after);
    sorted[withoutMemory] = ReadList();
    ReleaseFileList();
  }
  std::vector<ListItem> expected;
  for (uint32_t index : ReferenceOrder(stamps)) expected.push_back(items[index]);
  if (sorted[0] == expected && sorted[1] == sorted[0]) return ::testing::AssertionSuccess();
  std::string text;
  for (uint32_t s : stamps) text += std::to_string(s) + " ";
  return ::testing::AssertionFailure() << (sorted[0] != expected ? "with" : "without") << " memory, stamps " << text;
}

TEST(DateOrder, EqualStampsFollowTheExchangeSortNotAStableSort) {
  // five, five, three: three, then the second five, then the first five.
  EXPECT_EQ(Order({5, 5, 3}), (std::vector<uint32_t>{2, 1, 0}));
  // Equal stamps with nothing smaller after them keep their order.
  EXPECT_EQ(Order({1, 7, 7}), (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(Order({}), std::vector<uint32_t>{});
  EXPECT_EQ(Order({9}), std::vector<uint32_t>{0});
}

TEST(DateOrder, MatchesTheLiteralProcedureOnThousandsOfListsWithHeavyTies) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 4000; round++) {
    size_t length = random() % 51;
    std::vector<uint32_t> stamps(length);
    for (uint32_t& stamp : stamps) stamp = 1 + random() % 5;
    ASSERT_TRUE(ListOrderMatches(stamps));
  }
}

TEST(DateOrder, MatchesTheLiteralProcedureOnArraysOfManyShapes) {
  std::mt19937 random(4662);
  for (int round = 0; round < 3000; round++) {
    size_t length = random() % 120;
    unsigned distinct = 1 + random() % (round % 3 == 0 ? 3 : 40);
    std::vector<uint32_t> stamps(length);
    for (uint32_t& stamp : stamps) stamp = 1 + random() % distinct;
    ASSERT_EQ(Order(stamps), ReferenceOrder(stamps));
  }
  // Shapes that stress the exchanges: descending, alternating, sawtooth,
  // long equal runs around a smaller entry, and large stamps.
  for (size_t n : {2u, 3u, 17u, 64u, 257u}) {
    std::vector<uint32_t> descending, alternating, sawtooth, runs, wide;
    for (size_t i = 0; i < n; i++) {
      descending.push_back(static_cast<uint32_t>(n - i));
      alternating.push_back(i % 2 ? 1 : 2);
      sawtooth.push_back(static_cast<uint32_t>(7 - i % 7));
      runs.push_back(i == n / 2 ? 1 : 3 + (i * 3 / n));
      wide.push_back(0xFFFFFFFFu - static_cast<uint32_t>(i % 4));
    }
    for (const auto& stamps : {descending, alternating, sawtooth, runs, wide})
      ASSERT_EQ(Order(stamps), ReferenceOrder(stamps));
  }
}

TEST(DateOrder, MatchesTheLiteralProcedureOnLongRunsOfTies) {
  std::mt19937 random(1980);
  for (size_t length : {500u, 1000u, 2000u}) {
    for (unsigned distinct : {1u, 2u, 3u, 7u}) {
      std::vector<uint32_t> stamps(length);
      for (uint32_t& stamp : stamps) stamp = 1 + random() % distinct;
      ASSERT_EQ(Order(stamps), ReferenceOrder(stamps)) << length << " entries, " << distinct << " values";
    }
    // Long equal runs broken by single smaller or greater entries.
    std::vector<uint32_t> runs(length, 5);
    for (size_t i = 0; i < length; i += 97) runs[i] = (i / 97) % 2 ? 1 : 9;
    ASSERT_EQ(Order(runs), ReferenceOrder(runs));
  }
}

TEST(DateOrder, StampsCompareInTimeOrderAsPlainIntegers) {
  // A later day is greater whatever the times of day.
  EXPECT_GT(Packed(2001, 5, 8, 0, 0, 0), Packed(2001, 5, 7, 23, 59, 58));
  EXPECT_GT(Packed(2002, 1, 1, 0, 0, 0), Packed(2001, 12, 31, 23, 59, 58));
  EXPECT_TRUE(ListOrderMatches({Packed(2001, 5, 8, 0, 0, 0), Packed(2001, 5, 7, 23, 59, 58)}));
}

}  // namespace
