#include "test_files.h"

namespace testfs {

int64_t UnixTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second) {
  // Days from the civil date, after the proleptic Gregorian calendar.
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  int64_t days = era * 146097 + dayOfEra - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace testfs
