#include "copy_worker.h"
#include "platform/text.h"
#include "run/shared_state.h"

bool ComposeTargetName(char* buffer, size_t size, unsigned sequence, PackedDateTime stamp, const char* name) {
  return FormatText(buffer, size, "%s%05u_%04u_%02u_%02u_%02u_%02u_%s", TargetFolder, sequence, StampYear(stamp),
                    StampMonth(stamp), StampDay(stamp), StampHour(stamp), StampMinute(stamp), name);
}

unsigned ProgressHighBound(int32_t count) {
  if (count > 0x10000) return static_cast<unsigned>(count) - 1;
  return (static_cast<unsigned>(count) - 1) & 0xFFFF;
}
