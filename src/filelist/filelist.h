// The list of the source folder's ordinary files with their date stamps.
#pragma once

#include <cstdint>

#include "platform/os.h"

// A FAT date and time: date word in the high half, time word in the low half,
// so unsigned comparison orders by time. Year field 0 means no stamp.
typedef uint32_t PackedDateTime;

// One node of the list, in a movable block of its own. The last node's next
// is its own handle.
struct FileEntry {
  BlockHandle name;  // block of exactly the name's length plus one
  BlockHandle next;
  PackedDateTime stamp;
};

// The first node, or nullptr for the empty list.
extern BlockHandle FileList;
// The number of files found by the last scan.
extern int32_t FileCount;

// Gives back every node and name block and empties the head; FileCount stays.
void ReleaseFileList();

// Shows "Fehler No %i" and ends the process with the code; never returns.
[[noreturn]] void ReportFatalError(int code);

// The fatal codes, each also the exit code.
enum FatalCode {
  kFreeNameFailed = 1,
  kFreeNodeFailed = 2,
  kFirstNodeAllocFailed = 3,
  kNodeAllocFailed = 4,
  kNameAllocFailed = 5,
};

// Rebuilds FileList and FileCount from the folder's ordinary files, in date order.
void ScanSourceFolder(const char* folder);
// The stamp of SourceFolder + name, or 0 when the file has no usable stamp.
PackedDateTime GetFileStamp(const char* name);
// The stamp of a file with these times, or 0 when they give no usable stamp.
PackedDateTime StampFromTimes(const FileTimes& times);
// Notes for the stamps whether the folder's file system keeps last access
// times as dates only; the scan asks once.
void NoteFileSystem(const char* folder);
// Puts the list's payloads into ascending stamp order.
void SortByStamp();

// Whether a file, known by its identity and bare name, is or may be one of
// the listed files, whatever path leads to it: the same volume and number as
// a listed file, or what a view with numbers of its own shows of one (a
// source file of the same name, size and last write time). Also true where
// that cannot be told (a listed file that cannot be looked at, no memory).
bool MayBeListedFile(const FileIdentity& file, const char* name);
// Forgets what MayBeListedFile learned of the list; the scan and the release do it.
void ForgetListedFiles();

// Year, month, day, hour and minute fields of a stamp.
inline unsigned StampYear(PackedDateTime s) { return ((s >> 25) & 0x7F) + 1980; }
inline unsigned StampMonth(PackedDateTime s) { return (s >> 21) & 0x0F; }
inline unsigned StampDay(PackedDateTime s) { return (s >> 16) & 0x1F; }
inline unsigned StampHour(PackedDateTime s) { return (s >> 11) & 0x1F; }
inline unsigned StampMinute(PackedDateTime s) { return (s >> 5) & 0x3F; }
