// The program's seam to the operating system: memory blocks, file times,
// file operations, directory search, threads and the process end. Declared
// in the program's own terms; one backend per platform implements it.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Movable memory blocks -------------------------------------------------

// A block is addressed by its handle and reached through a lock; no address
// is used past its unlock. No handle is nullptr.
typedef void* BlockHandle;

// Allocates a zero-filled block; nullptr when no memory can be had.
BlockHandle AllocBlock(size_t size);
// The block's address while locked; nullptr for a bad handle.
void* LockBlock(BlockHandle block);
void UnlockBlock(BlockHandle block);
// Gives the block back; false when the platform reports a failure.
bool FreeBlock(BlockHandle block);

// ---- File times ------------------------------------------------------------

// A point in time in the platform's own unit and epoch.
typedef int64_t FileTime;

struct FileTimes {
  FileTime creation;
  FileTime access;
  FileTime write;
};

// The three times the file system keeps for the file; false when they cannot
// be read. Where no creation time is kept, the last write time stands in.
bool ReadFileTimes(const char* path, FileTimes* times);
// One day in the platform's unit. Both platforms count time from a midnight,
// so a local time is a midnight exactly when this divides it.
extern const FileTime kFileTimeDay;
// The name of the file system that holds the folder, in Windows' words
// ("FAT32", "exFAT", "NTFS"); false when it cannot be told.
bool ReadFileSystemName(const char* folder, char* name, size_t size);
// Converts to local time with the bias in force now, for every time alike.
bool ToLocalFileTime(FileTime utc, FileTime* local);
// Below zero when a is earlier than b, zero when equal, above zero else.
int CompareFileTimes(FileTime a, FileTime b);
// FAT date and time words; false outside 1980 to 2107.
bool ToFatDateTime(FileTime local, uint16_t* date, uint16_t* time);

// ---- File operations -------------------------------------------------------

// The folder offered where none has been remembered yet, ending with the
// separator: "C:\\" on Windows, the user's home folder on POSIX ("/" where
// that is unknown, no folder, or too long a path to remember).
const char* DefaultFolder();

// Why a file operation failed: the platform's own number (errno,
// GetLastError) or one of the program's reasons below; kNoError on success.
typedef int FileError;
constexpr FileError kNoError = 0;
constexpr FileError kNameTooLong = -1;        // a composed path does not fit its buffer
constexpr FileError kNotOrdinaryFile = -2;    // no ordinary file any more when opened
constexpr FileError kNameHeldByListed = -3;   // the copy's name is held by what may be a listed file
constexpr FileError kNameNotInCodePage = -4;  // the name cannot be written in the system's code page
// The reason in words, the system's own text where it has one; never longer
// than the buffer.
void DescribeFileError(FileError error, char* buffer, size_t size);
// Whether the error says that the file or one of its folders is not there.
bool IsMissingError(FileError error);

// A file on disk: its volume and its number there say which file it is; its
// size and last write time are what a view of the file shows of it.
struct FileIdentity {
  uint64_t volume;
  uint64_t number;
  uint64_t size;
  FileTime write;
};
// Two names lead to one file only when volume and number both match.
inline bool IsSameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.number == b.number;
}
// The identity of the file or folder that a path leads to (links followed);
// kNoError, or why it cannot be read.
FileError ReadFileIdentity(const char* path, FileIdentity* identity);

// Deletes an ordinary file; a read-only file is refused. False on failure.
bool DeleteOrdinaryFile(const char* path);

// Asked before an existing ordinary file of the target name is replaced,
// with what is known of it and its bare name; false keeps it.
typedef bool (*ReplaceCheck)(const FileIdentity& existing, const char* name);
// Copies a whole file: content (as long as the file was when it was opened),
// attributes and last write time. The copy is written under a temporary name
// or none, and takes the target name only when complete; an existing file
// of that name is replaced unless it is read-only or hidden, is no ordinary
// file, or the check refuses it. A source that is no ordinary file when it is
// opened is not read. Answers kNoError or the reason; the source is never
// changed.
FileError CopyWholeFile(const char* source, const char* target, ReplaceCheck mayReplace);
// Asks the system to bring the folder's ordinary files into memory in the
// order they lie on the disk, ahead of a copy that takes them in another
// order. Only a hint: nothing is reported, nothing of the files changes, and
// it ends early once keepGoing answers false.
void ReadAheadFolder(const char* folder, bool (*keepGoing)());
// Whether the start of the file is in memory; true where the system cannot
// tell.
bool IsFileInMemory(const char* path);
// Puts every copy made into the folder so far on its disk, before the run
// says it is done; kNoError, or the first error the system reports for them.
FileError FlushCopies(const char* folder);
// Removes from the folder what copies and probes of ended runs left behind:
// only the program's own names, only ordinary files of this user, and only
// those unchanged for kLeftoverSeconds, so a run still going (by whatever
// path it reaches the folder) keeps its files.
void RemoveLeftoverCopies(const char* folder);
constexpr int64_t kLeftoverSeconds = 3600;

// Whether something is there under a path: found, missing, or unknown (the
// system could not tell).
enum PathState { kPathFound, kPathMissing, kPathUnknown };
PathState LookUpPath(const char* path);

// A probe: a new hidden file of a unique name, made to see in which folders
// it shows up.
struct ProbeFile {
  intptr_t handle;
  char name[32];  // its bare name
};
// Makes a probe in the folder; false when none can be made there.
bool MakeProbeFile(const char* folder, ProbeFile* probe);
// Removes the probe through the folder it was made in; false when its name
// could not be removed there.
bool RemoveProbeFile(const char* folder, ProbeFile* probe);

// Ends the process at once with the code; nothing is cleaned up.
[[noreturn]] void EndProcess(int code);

// ---- Runtime library services ----------------------------------------------
// The directory search and the thread start and end that the program relies
// on. The C runtimes' _findfirst and _beginthread families have other
// contracts (and are macros in places), so ours have names of their own.
namespace rt {

constexpr unsigned FA_DIREC = 0x10;
// The program's own bit of the mask: entries that cannot be used are handed
// out too, with their reason, so that they can be reported.
constexpr unsigned kFaultyEntries = 0x10000;

// The search record. The program reads time, date and name; the search also
// hands on what it learned of the entry on the way, so the scan need not ask
// the file system again.
struct FindRecord {
  void* state;        // the search's own state; nullptr once it has ended
  FileError error;    // why the search ended early; kNoError when it reached
                      // the folder's end or the folder does not exist
  uint16_t time;      // modification time, FAT time word
  uint16_t date;      // modification date, FAT date word
  char name[256];     // bare name, zero-terminated
  bool timesKnown;    // times holds the entry's three times
  FileTimes times;
  // Where the mask asks for them (kFaultyEntries), entries that cannot be
  // used come too, with the reason here (kNameNotInCodePage, or why the
  // entry could not be looked at); their name is then only for showing and
  // must not be used to open anything. kNoError for every other entry.
  FileError entryError;
};

// Starts a search over a folder followed by a wildcard ("*.*" matches every
// name). Mask 0 matches ordinary files only; FA_DIREC adds folders; hidden and
// system entries never match. Answers 0 with the first match, else non-zero
// (with the reason in the record's error where the folder could not be read).
int FindFirstEntry(const char* pattern, FindRecord* record, unsigned mask);
// Answers 0 with the next match, non-zero when none is left (the search has
// then released its state).
int FindNextEntry(FindRecord* record);
// Releases a search abandoned before its end; harmless on an ended search.
void EndEntrySearch(FindRecord* record);

typedef void* ThreadHandle;  // nullptr: no thread
typedef void (*ThreadFunction)(void* argument);

// Runs the function on a new thread that can be waited for; nullptr when the
// thread cannot be started. Stack size 0 asks for the default.
ThreadHandle BeginThread(ThreadFunction function, unsigned stackSize, void* argument);
// Ends the calling thread.
[[noreturn]] void EndThread();
// Waits until the thread has ended, then releases its handle.
void WaitForThread(ThreadHandle thread);

}  // namespace rt
