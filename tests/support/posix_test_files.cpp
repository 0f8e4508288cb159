#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "test_files.h"

namespace testfs {

const char kSeparator = '/';
const bool kNamesIgnoreCase = false;

std::string NewFolder() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavro-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) abort();
  return std::string(buffer.data()) + "/";
}

void RemoveTree(const std::string& folder) {
  std::string command = "chmod -R u+rwx '" + folder + "' 2>/dev/null; rm -rf '" + folder + "'";
  if (system(command.c_str()) != 0) return;
}

void MakeFolder(const std::string& path) { mkdir(path.c_str(), 0755); }

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void SetTimes(const std::string& path, int64_t access, int64_t write) {
  struct timespec times[2] = {{static_cast<time_t>(access), 0}, {static_cast<time_t>(write), 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

int64_t WriteTime(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_mtime) : -1;
}

bool SetCreationTime(const std::string&, int64_t) { return false; }

void MakeReadOnly(const std::string& path) { chmod(path.c_str(), 0444); }

std::string MakeHiddenFile(const std::string& folder, const std::string& base) {
  WriteFile(folder + "." + base, "hidden");
  return "." + base;
}

std::string MakeSystemEntry(const std::string& folder, const std::string& base) {
  mkfifo((folder + base).c_str(), 0644);
  return base;
}

bool LongPathsWork() { return true; }

}  // namespace testfs
