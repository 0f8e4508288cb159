// The walk along the list: from the head to the node that links to itself,
// each node locked while it is visited.
#pragma once

#include "filelist.h"

// Visits every node, locked, from the head on; stops early when the visit
// answers false. The visit may change the payload, never the link.
template <typename Visit>
void ForEachNode(Visit visit) {
  for (BlockHandle node = FileList; node != nullptr;) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    if (entry == nullptr) return;  // not a live node: nothing more can be reached
    bool more = visit(*entry);
    BlockHandle next = entry->next;
    UnlockBlock(node);
    if (!more) return;
    node = next == node ? nullptr : next;
  }
}

// Visits every listed file with its node and its name, both locked.
template <typename Visit>
void ForEachListedFile(Visit visit) {
  ForEachNode([&](FileEntry& entry) {
    const char* name = static_cast<const char*>(LockBlock(entry.name));
    if (name == nullptr) return true;
    bool more = visit(static_cast<const FileEntry&>(entry), name);
    UnlockBlock(entry.name);
    return more;
  });
}
