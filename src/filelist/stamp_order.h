// The order in which the list's exchange sort leaves a sequence of stamps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Fills order so that order[k] is the index, in stamps, of the entry that the
// exchange sort puts in place k, equal stamps included. O(n log n) time.
void ExchangeSortOrder(const uint32_t* stamps, size_t count, std::vector<uint32_t>* order);
