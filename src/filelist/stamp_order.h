// The order in which the list's exchange sort leaves a sequence of stamps.
#pragma once

#include <cstddef>
#include <cstdint>

// The working memory that ordering count stamps needs, in 64-bit words.
size_t ExchangeSortScratch(size_t count);
// Fills order (count entries) so that order[k] is the index, in stamps, of
// the entry that the exchange sort puts in place k, equal stamps included.
// O(n log n) time; scratch holds ExchangeSortScratch(count) words.
void ExchangeSortOrder(const uint32_t* stamps, size_t count, uint32_t* order, uint64_t* scratch);
