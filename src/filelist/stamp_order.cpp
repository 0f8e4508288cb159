// The exchange sort compares the first entry of the remaining list with every
// later one and exchanges whenever the first is greater. Its result among equal
// stamps follows from three facts:
// - the order of the entries with stamp v depends only on the entries with
//   stamps at most v, and of those only on which equal v and which are smaller;
// - in that 0/1 picture an entry equal to v moves only when it is the first
//   entry of the remaining list, landing where the first smaller entry after
//   it stood;
// - so the moved entries form a queue over the smaller entries' places: each
//   smaller place passed sends the queue's head to the tail, each further entry
//   equal to v joins at the tail, until no smaller place is left; then the
//   sequence freezes.
// Each run of equal stamps is thus settled in O(c log c) from how many smaller
// entries precede each of its members.
#include "stamp_order.h"

#include <algorithm>
#include <cstring>

namespace {

// Counts over positions 0..size-1, with prefix sums and k-th free slot
// search, kept in size + 1 entries of the caller's memory.
class Fenwick {
 public:
  void Reset(int32_t* storage, size_t size) {
    tree_ = storage;
    entries_ = size + 1;
    memset(tree_, 0, entries_ * sizeof *tree_);
  }
  void Add(size_t position, int32_t delta) {
    for (size_t i = position + 1; i < entries_; i += i & (0 - i)) tree_[i] += delta;
  }
  // Sum over positions 0..position-1.
  int32_t Prefix(size_t position) const {
    int32_t sum = 0;
    for (size_t i = position; i > 0; i -= i & (0 - i)) sum += tree_[i];
    return sum;
  }
  // The smallest position whose prefix sum including it exceeds rank (rank counts from 0).
  size_t Find(int32_t rank) const {
    size_t position = 0;
    size_t step = 1;
    while (step * 2 < entries_) step *= 2;
    for (; step > 0; step /= 2) {
      if (position + step < entries_ && tree_[position + step] <= rank) {
        position += step;
        rank -= tree_[position];
      }
    }
    return position;
  }

 private:
  int32_t* tree_ = nullptr;
  size_t entries_ = 0;
};

struct Insertion {
  uint32_t member;
  uint32_t index;
};

// The working memory of one run of equal stamps; each array holds as many
// entries as the run has members (the slots one more).
struct RunMemory {
  Insertion* log;
  uint32_t* queue;
  int32_t* slots;
};

// Orders one run of c equal stamps. smaller[j] is the number of smaller
// entries before the run's j-th member (non-decreasing), total the number of
// smaller entries overall. Writes the members' final order to out.
void OrderEqualRun(const uint32_t* smaller, uint32_t c, uint32_t total, const RunMemory& memory, uint32_t* out) {
  if (smaller[0] == total) {  // no smaller entry after the first: nothing moves
    for (uint32_t j = 0; j < c; j++) out[j] = j;
    return;
  }
  // The first member joins the queue; after it, each event (a smaller place
  // passed, or a further member) succeeds while free smaller places remain.
  const uint64_t successful = total - smaller[0] - 1;
  uint64_t events = 0;
  uint32_t size = 1, head = 0;
  int64_t frozenMember = -1;
  uint32_t firstUnprocessed = c;
  bool frozen = false;
  Insertion* log = memory.log;
  size_t logged = 0;
  log[logged++] = Insertion{0, 0};
  for (uint32_t j = 1; j < c && !frozen; j++) {
    uint64_t gap = smaller[j] - smaller[j - 1];
    if (events + gap > successful) {  // freezes at a smaller place before member j
      head = static_cast<uint32_t>((head + (successful - events)) % size);
      firstUnprocessed = j;
      frozen = true;
      break;
    }
    head = static_cast<uint32_t>((head + gap) % size);
    events += gap;
    if (events == successful) {  // member j finds no free place and stays
      frozenMember = j;
      firstUnprocessed = j + 1;
      frozen = true;
      break;
    }
    log[logged++] = Insertion{j, head};  // joins at the tail, just before the head
    size++;
    head++;
    events++;
  }
  if (!frozen) head = static_cast<uint32_t>((head + (successful - events)) % size);

  // Lay the queue out from the insertions, last first, each in its free slot.
  uint32_t* queue = memory.queue;
  Fenwick slots;
  slots.Reset(memory.slots, size);
  for (uint32_t i = 0; i < size; i++) slots.Add(i, 1);
  for (size_t i = logged; i-- > 0;) {
    size_t slot = slots.Find(static_cast<int32_t>(log[i].index));
    queue[slot] = log[i].member;
    slots.Add(slot, -1);
  }

  // The queue holds the last `size` smaller places; members not yet reached
  // keep their own places. Merge both by place.
  if (frozenMember >= 0) *out++ = static_cast<uint32_t>(frozenMember);
  const uint64_t firstPlace = uint64_t{total} - size + 1;  // 1-based smaller place of the head
  uint32_t member = firstUnprocessed;
  for (uint32_t q = 0; q < size; q++) {
    uint64_t place = firstPlace + q;
    while (member < c && smaller[member] < place) *out++ = member++;
    *out++ = queue[(head + q) % size];
  }
  while (member < c) *out++ = member++;
}

}  // namespace

size_t ExchangeSortScratch(size_t count) { return 4 * count + 1; }

void ExchangeSortOrder(const uint32_t* stamps, size_t count, uint32_t* order, uint64_t* scratch) {
  // Stamp and first index in one key: sorting the keys orders by stamp and
  // keeps equal stamps in their first order, without a buffer of its own.
  uint64_t* keys = scratch;
  for (size_t i = 0; i < count; i++) keys[i] = (uint64_t{stamps[i]} << 32) | i;
  std::sort(keys, keys + count);
  for (size_t i = 0; i < count; i++) order[i] = static_cast<uint32_t>(keys[i]);

  // The keys' room, now free, holds each run's members and their counts.
  uint32_t* members = reinterpret_cast<uint32_t*>(scratch);
  uint32_t* smaller = members + count;
  int32_t* beforeTree = reinterpret_cast<int32_t*>(smaller + count);
  uint32_t* runOrder = reinterpret_cast<uint32_t*>(beforeTree + count + 1);
  RunMemory memory;
  memory.queue = runOrder + count;
  memory.slots = reinterpret_cast<int32_t*>(memory.queue + count);
  memory.log = reinterpret_cast<Insertion*>(memory.slots + count + 1);

  Fenwick before;  // positions of the entries with smaller stamps seen so far
  before.Reset(beforeTree, count);
  for (size_t start = 0; start < count;) {
    size_t end = start;
    while (end < count && stamps[order[end]] == stamps[order[start]]) end++;
    uint32_t c = static_cast<uint32_t>(end - start);
    memcpy(members, order + start, c * sizeof *members);  // in original order
    for (uint32_t j = 0; j < c; j++) smaller[j] = static_cast<uint32_t>(before.Prefix(members[j]));
    OrderEqualRun(smaller, c, static_cast<uint32_t>(start), memory, runOrder);
    for (uint32_t j = 0; j < c; j++) {
      order[start + j] = members[runOrder[j]];
      before.Add(members[j], 1);
    }
    start = end;
  }
}
