// Building and reading the file list in tests.
#pragma once

#include <string>
#include <vector>

#include "filelist/filelist.h"

struct ListItem {
  std::string name;
  PackedDateTime stamp;
  bool operator==(const ListItem& other) const { return name == other.name && stamp == other.stamp; }
};

// Replaces the list with nodes holding these items, in this order.
void BuildList(const std::vector<ListItem>& items);
// The list's items from head to end, checking that every node links on, the
// last links to itself, and no block of it is left locked.
std::vector<ListItem> ReadList();
// A packed stamp from calendar fields.
PackedDateTime Packed(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                      unsigned second);
