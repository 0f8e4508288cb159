#include <vector>

#include "filelist.h"
#include "stamp_order.h"

// Takes a snapshot of the payloads, computes the exchange sort's order from
// the stamps, and writes the payloads back into the nodes in one pass. The
// links are left alone.
void SortByStamp() {
  std::vector<BlockHandle> names;
  std::vector<uint32_t> stamps;
  names.reserve(FileCount > 0 ? static_cast<size_t>(FileCount) : 0);
  stamps.reserve(names.capacity());
  for (BlockHandle node = FileList; node != nullptr;) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    if (entry == nullptr) break;
    names.push_back(entry->name);
    stamps.push_back(entry->stamp);
    BlockHandle next = entry->next;
    UnlockBlock(node);
    node = next == node ? nullptr : next;
  }
  std::vector<uint32_t> order;
  ExchangeSortOrder(stamps.data(), stamps.size(), &order);
  size_t place = 0;
  for (BlockHandle node = FileList; node != nullptr && place < order.size(); place++) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    if (entry == nullptr) break;
    entry->name = names[order[place]];
    entry->stamp = stamps[order[place]];
    BlockHandle next = entry->next;
    UnlockBlock(node);
    node = next == node ? nullptr : next;
  }
}
