#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "disk.h"
#include "file_store.h"

namespace {

// The reason of the failure that errno tells.
FileFailure FailureOf(int error) {
  switch (error) {
    case ENOENT: return FileFailure::kNotFound;
    case EACCES:
    case EPERM: return FileFailure::kAccessDenied;
    case EROFS: return FileFailure::kReadOnly;
    case ENOSPC:
    case EDQUOT: return FileFailure::kDiskFull;
    case EISDIR:
    case ENXIO: return FileFailure::kNotAFile;
    case ETXTBSY: return FileFailure::kInUse;
    default: return FileFailure::kOther;
  }
}

}  // namespace

FileFailure ReadFileBytes(const std::filesystem::path& path, size_t limit, std::string& bytes) {
  bytes.clear();
  // Without waiting: a FIFO opens at once with no writer, a terminal without
  // its carrier; both are then refused, unread.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FailureOf(errno);
  struct stat info;
  FileFailure failure = FileFailure::kNone;
  if (::fstat(fd, &info) != 0)
    failure = FailureOf(errno);
  else if (!S_ISREG(info.st_mode))
    failure = FileFailure::kNotAFile;
  else if (static_cast<unsigned long long>(info.st_size) > limit)
    failure = FileFailure::kTooLarge;
  char buffer[4096];
  while (failure == FileFailure::kNone) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failure = FailureOf(errno);
    if (n <= 0) break;
    bytes.append(buffer, size_t(n));
    if (bytes.size() > limit) failure = FileFailure::kTooLarge;  // it grew while it was read
  }
  ::close(fd);
  if (failure != FileFailure::kNone) bytes.clear();
  return failure;
}

FileFailure CheckRegularFile(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return FailureOf(errno);
  return S_ISREG(info.st_mode) ? FileFailure::kNone : FileFailure::kNotAFile;
}

std::optional<unsigned long long> FileSize(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<unsigned long long>(info.st_size);
}

bool ListFiles(const std::filesystem::path& folder, const std::string& suffix, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return errno == ENOENT;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat info;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        ::stat((folder / name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
      names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return true;
}

bool RemoveFile(const std::filesystem::path& path, FileFailure* why) {
  FileFailure ignored;
  FileFailure& failure = why ? *why : ignored;
  struct stat info;
  failure = ::lstat(path.c_str(), &info) != 0 ? FailureOf(errno)
            : S_ISDIR(info.st_mode)           ? FileFailure::kNotAFile
            : ::unlink(path.c_str()) != 0     ? FailureOf(errno)
            : ::lstat(path.c_str(), &info) == 0 ? FileFailure::kStillThere
                                              : FileFailure::kNone;
  return failure == FileFailure::kNone;
}

bool MakeFolder(const std::filesystem::path& path, FileFailure* why) {
  FileFailure ignored;
  FileFailure& failure = why ? *why : ignored;
  struct stat info;
  if (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
    failure = FileFailure::kNone;
  else
    failure = errno == EEXIST ? FileFailure::kNotAFile : FailureOf(errno);
  return failure == FileFailure::kNone;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  struct stat first, second;
  if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  const auto folder = [](const std::filesystem::path& p) { return p.has_parent_path() ? p.parent_path() : "."; };
  return a.filename() == b.filename() && !a.filename().empty() && ::stat(folder(a).c_str(), &first) == 0 &&
         ::stat(folder(b).c_str(), &second) == 0 && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::optional<long long> FileWritten(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<long long>(info.st_mtime);
}

namespace {

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const size_t size = DiskTakes(text.size() - done);
    if (size == 0) {
      errno = ENOSPC;
      return false;
    }
    const ssize_t n = ::write(fd, text.data() + done, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The new files of earlier saves of path whose process has ended: a save
// that was killed leaves one behind.
void RemoveStaleTempFiles(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const std::string name = path.filename();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view file = entry->d_name;
    if (file.substr(0, name.size()) != name) continue;
    const std::optional<unsigned long> pid = TempFileOwner(file.substr(name.size()));
    // Only a process id that no process has, not one we may not signal.
    if (pid && *pid <= 0x7FFFFFFF && ::kill(static_cast<pid_t>(*pid), 0) != 0 && errno == ESRCH)
      ::unlink((folder / file).c_str());
  }
  ::closedir(dir);
}

}  // namespace

bool ReplaceWholeFile(const std::filesystem::path& path, const std::string& text, FileFailure* why) {
  FileFailure ignored;
  FileFailure& failure = why ? *why : ignored;
  failure = FileFailure::kNone;
  mode_t mode = 0666;  // less the umask, for a new file
  bool keepMode = false;
  struct stat old;
  if (::stat(path.c_str(), &old) == 0) {
    // The superuser may write anything, so the permission bits are looked
    // at as well: a file that nobody may write is the user's "read-only".
    if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
      failure = !S_ISREG(old.st_mode) ? FileFailure::kNotAFile
                : (old.st_mode & 0222) == 0 ? FileFailure::kReadOnly
                                           : FailureOf(errno);
      return false;
    }
    mode = old.st_mode & 07777;
    keepMode = true;
  } else if (errno != ENOENT) {
    failure = FailureOf(errno);
    return false;
  }

  RemoveStaleTempFiles(path);
  // A name no other save uses: this process's id, a count, and O_EXCL.
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = path.native() + TempFileSuffix(static_cast<unsigned long>(::getpid()), counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) {
      failure = FailureOf(errno);
      return false;
    }
  }
  if (fd < 0) {
    failure = FileFailure::kOther;
    return false;
  }
  bool ok = WriteAll(fd, text) && (!keepMode || ::fchmod(fd, mode) == 0) && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
  if (ok) error = errno;
  failure = FailureOf(error);
  ::unlink(temp.c_str());
  return false;
}
