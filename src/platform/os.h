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

// Test hook: the allocFailAt-th allocation and the freeFailAt-th free from
// now on fail (counting from 1; 0 switches the fault off).
void SetBlockFaults(long allocFailAt, long freeFailAt);

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
// Test hook: the name that ReadFileSystemName gives from now on (nullptr:
// the file system's own).
void SetFileSystemNameForTests(const char* name);
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
constexpr FileError kNameTooLong = -1;      // a composed path does not fit its buffer
constexpr FileError kNotOrdinaryFile = -2;  // no ordinary file any more when opened
// The reason in words, the system's own text where it has one; never longer
// than the buffer.
void DescribeFileError(FileError error, char* buffer, size_t size);

// What makes a file the same file whatever path leads to it: its number on
// its volume, its size and its last write time. The volume is left out on
// purpose, so that a file seen through a network share or a view of its
// folder is still recognised; size and time keep a chance match of numbers
// from two volumes out.
struct FileIdentity {
  uint64_t number;
  uint64_t size;
  int64_t write;
};
// The identity of the file a path leads to (links followed); false when it
// cannot be looked at.
bool ReadFileIdentity(const char* path, FileIdentity* identity);

// Deletes an ordinary file; a read-only file is refused. False on failure.
bool DeleteOrdinaryFile(const char* path);

// Asked before an existing file of the target name is replaced, with the
// identity of that file; false keeps it.
typedef bool (*ReplaceCheck)(const FileIdentity& existing, void* context);
// Copies a whole file: content, attributes and last write time. An existing
// file of the target name is replaced unless it is read-only or hidden, is no
// ordinary file, or the check refuses it. A source that is no ordinary file
// when it is opened is not read. Answers kNoError or the reason; the source
// is never changed, and no partly written copy is left under the target name.
FileError CopyWholeFile(const char* source, const char* target, ReplaceCheck mayReplace, void* context);
// Removes from the folder what copies of earlier, ended runs left unfinished;
// never what a run still going is writing.
void RemoveLeftoverCopies(const char* folder);
// Whether two folder paths name the same folder on disk, whatever paths lead
// to it: by identity, else by a short-lived hidden probe file made in b and
// looked for in a (for shares and views whose identity differs). False when
// either cannot be looked at.
bool IsSameFolder(const char* a, const char* b);

// Ends the process at once with the code; nothing is cleaned up.
[[noreturn]] void EndProcess(int code);

// ---- Runtime library services ----------------------------------------------
// The directory search and the thread start and end that the program relies
// on. The C runtimes' _findfirst and _beginthread families have other
// contracts (and are macros in places), so ours have names of their own.
namespace rt {

constexpr unsigned FA_DIREC = 0x10;

// The search record. Only time, date and name are read by the program.
struct FindRecord {
  void* state;        // the search's own state; nullptr once it has ended
  uint32_t reserved;
  uint16_t time;      // modification time, FAT time word
  uint16_t date;      // modification date, FAT date word
  char name[256];     // bare name, zero-terminated
};

// Starts a search over a folder followed by a wildcard ("*.*" matches every
// name). Mask 0 matches ordinary files only; FA_DIREC adds folders; hidden and
// system entries never match. Answers 0 with the first match, else non-zero.
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
