// Real files and folders for the tests, made the platform's way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testfs {

// The platform's folder separator.
extern const char kSeparator;
// Whether two names that differ only in case name one file.
extern const bool kNamesIgnoreCase;

// A new empty folder under the system's temporary folder, ending with the separator.
std::string NewFolder();
// Removes a folder with everything in it (read-only files included).
void RemoveTree(const std::string& folder);
void MakeFolder(const std::string& path);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Every entry directly inside the folder, hidden ones included, sorted by name.
std::vector<std::string> Names(const std::string& folder);

// Sets last access and last write time, in seconds since 1970 UTC.
void SetTimes(const std::string& path, int64_t access, int64_t write);
// The last write time in seconds since 1970 UTC, or -1.
int64_t WriteTime(const std::string& path);
// Sets the creation time where the platform allows it; false where it cannot.
bool SetCreationTime(const std::string& path, int64_t creation);

void MakeReadOnly(const std::string& path);
// Makes a hidden ordinary file in the folder and answers its name.
std::string MakeHiddenFile(const std::string& folder, const std::string& base);
// Makes an entry that the platform counts as a system entry and answers its name.
std::string MakeSystemEntry(const std::string& folder, const std::string& base);
// Whether the platform takes paths longer than 300 characters.
bool LongPathsWork();

// Seconds since 1970 UTC of a calendar time in UTC.
int64_t UnixTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second);

}  // namespace testfs
