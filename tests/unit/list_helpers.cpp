#include "list_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/test_hooks.h"

namespace {
FileEntry* Lock(BlockHandle node) { return static_cast<FileEntry*>(LockBlock(node)); }
}  // namespace

void BuildList(const std::vector<ListItem>& items) {
  ReleaseFileList();
  BlockHandle last = nullptr;
  for (const ListItem& item : items) {
    BlockHandle node = AllocBlock(sizeof(FileEntry));
    BlockHandle name = AllocBlock(item.name.size() + 1);
    memcpy(LockBlock(name), item.name.c_str(), item.name.size() + 1);
    UnlockBlock(name);
    FileEntry* entry = Lock(node);
    *entry = FileEntry{name, node, item.stamp};
    UnlockBlock(node);
    if (last == nullptr) {
      FileList = node;
    } else {
      Lock(last)->next = node;
      UnlockBlock(last);
    }
    last = node;
  }
  FileCount = static_cast<int32_t>(items.size());
}

std::vector<ListItem> ReadList() {
  std::vector<ListItem> items;
  for (BlockHandle node = FileList; node != nullptr;) {
    FileEntry* entry = Lock(node);
    EXPECT_NE(entry, nullptr);
    if (entry == nullptr) break;
    items.push_back(ListItem{static_cast<const char*>(LockBlock(entry->name)), entry->stamp});
    BlockHandle name = entry->name, next = entry->next;
    UnlockBlock(name);
    UnlockBlock(node);
    EXPECT_EQ(BlockLockCount(node) + BlockLockCount(name), 0u) << "a lock was not given back: " << items.back().name;
    node = next == node ? nullptr : next;
    if (items.size() > 1000000) {
      ADD_FAILURE() << "the list does not end";
      break;
    }
  }
  return items;
}

PackedDateTime Packed(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                      unsigned second) {
  return ((year - 1980) << 25) | (month << 21) | (day << 16) | (hour << 11) | (minute << 5) | (second / 2);
}
