#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "disk.h"
#include "file_store.h"
#include "host_path.h"

namespace {

// The reason of the failure that a system error code tells.
FileFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileFailure::kNotFound;
    case ERROR_ACCESS_DENIED: return FileFailure::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return FileFailure::kInUse;
    case ERROR_WRITE_PROTECT: return FileFailure::kReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileFailure::kDiskFull;
    case ERROR_BAD_FILE_TYPE:
    case ERROR_DIRECTORY: return FileFailure::kNotAFile;
    default: return FileFailure::kOther;
  }
}

}  // namespace

FileFailure ReadFileBytes(const std::filesystem::path& path, size_t limit, std::string& bytes) {
  bytes.clear();
  // Sharing every access, so that reading never holds up another save.
  HANDLE h = OpenRegularFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (h == INVALID_HANDLE_VALUE) return FailureOf(GetLastError());
  FileFailure failure = FileFailure::kNone;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size))
    failure = FailureOf(GetLastError());
  else if (static_cast<unsigned long long>(size.QuadPart) > limit)
    failure = FileFailure::kTooLarge;
  char buffer[4096];
  while (failure == FileFailure::kNone) {
    DWORD n = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) failure = FailureOf(GetLastError());
    if (n == 0) break;
    bytes.append(buffer, n);
    if (bytes.size() > limit) failure = FileFailure::kTooLarge;  // it grew while it was read
  }
  CloseHandle(h);
  if (failure != FileFailure::kNone) bytes.clear();
  return failure;
}

FileFailure CheckRegularFile(const std::filesystem::path& path) {
  // Opened for no access at all, which reads nothing and waits for nothing.
  HANDLE h = OpenRegularFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (h == INVALID_HANDLE_VALUE) return FailureOf(GetLastError());
  CloseHandle(h);
  return FileFailure::kNone;
}

std::optional<unsigned long long> FileSize(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA file;
  if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &file)) return std::nullopt;
  return static_cast<unsigned long long>(file.nFileSizeHigh) << 32 | file.nFileSizeLow;
}

bool ListFiles(const std::filesystem::path& folder, const std::string& suffix, std::vector<std::string>& names) {
  names.clear();
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(FileApiPath(folder / L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = Utf8Text(found.cFileName);
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return true;
}

bool RemoveFile(const std::filesystem::path& path, FileFailure* why) {
  FileFailure ignored;
  FileFailure& failure = why ? *why : ignored;
  const std::wstring name = FileApiPath(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (IsDevicePath(path) || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
    failure = FileFailure::kNotAFile;
  else if (attributes == INVALID_FILE_ATTRIBUTES)
    failure = FailureOf(GetLastError());
  else if (attributes & FILE_ATTRIBUTE_READONLY)
    failure = FileFailure::kReadOnly;  // which the system would not remove either
  else if (!DeleteFileW(name.c_str()))
    failure = FailureOf(GetLastError());
  // The system may say done and yet keep the file (Wine, when removing it
  // from its folder fails late); a removal is only told once it is gone.
  else if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES)
    failure = FileFailure::kStillThere;
  else
    failure = FileFailure::kNone;
  return failure == FileFailure::kNone;
}

bool MakeFolder(const std::filesystem::path& path, FileFailure* why) {
  FileFailure ignored;
  FileFailure& failure = why ? *why : ignored;
  failure = FileFailure::kNone;
  if (CreateDirectoryW(FileApiPath(path).c_str(), nullptr)) return true;
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(FileApiPath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  failure = attributes != INVALID_FILE_ATTRIBUTES ? FileFailure::kNotAFile : FailureOf(error);
  return false;
}

namespace {

// The volume and the number of a file or folder that exists.
std::optional<std::pair<DWORD, unsigned long long>> FileIdentity(const std::filesystem::path& path) {
  if (IsDevicePath(path)) return std::nullopt;
  HANDLE h = CreateFileW(FileApiPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!known) return std::nullopt;
  return std::pair{info.dwVolumeSerialNumber,
                   static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

}  // namespace

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  const auto first = FileIdentity(a), second = FileIdentity(b);
  if (first && second) return *first == *second;
  const auto folder = [](const std::filesystem::path& p) { return p.has_parent_path() ? p.parent_path() : L"."; };
  const std::wstring nameA = a.filename().native(), nameB = b.filename().native();
  if (nameA.empty() ||
      CompareStringOrdinal(nameA.c_str(), int(nameA.size()), nameB.c_str(), int(nameB.size()), TRUE) != CSTR_EQUAL)
    return false;
  const auto folderA = FileIdentity(folder(a)), folderB = FileIdentity(folder(b));
  return folderA && folderB && *folderA == *folderB;
}

std::optional<long long> FileWritten(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA file;
  if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &file)) return std::nullopt;
  // FILETIME counts 100 ns from 1601; 11644473600 s lie between 1601 and 1970.
  const unsigned long long ticks =
      static_cast<unsigned long long>(file.ftLastWriteTime.dwHighDateTime) << 32 | file.ftLastWriteTime.dwLowDateTime;
  return static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
}

namespace {

bool WriteAll(HANDLE h, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    // At most 1 GiB a call: a DWORD cannot count every size_t of a 64-bit build.
    const DWORD size = DWORD(DiskTakes(std::min<size_t>(text.size() - done, size_t(1) << 30)));
    DWORD n = 0;
    if (size == 0) SetLastError(ERROR_DISK_FULL);
    if (size == 0 || !WriteFile(h, text.data() + done, size, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

bool ProcessRuns(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // one we may not open runs all the same
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

// The new files of earlier saves of target whose process has ended: a save
// that was killed leaves one behind.
void RemoveStaleTempFiles(const std::wstring& target) {
  const size_t folderEnd = target.find_last_of(L"\\/") + 1;  // 0 for a bare name
  const std::wstring folder = target.substr(0, folderEnd), name = target.substr(folderEnd);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((target + L".*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // The pattern matches short names too: the long name is checked here.
    const std::wstring file = found.cFileName;
    if (file.size() <= name.size() || _wcsnicmp(file.c_str(), name.c_str(), name.size()) != 0) continue;
    std::string suffix;
    for (wchar_t c : file.substr(name.size())) suffix += c < 0x80 ? static_cast<char>(c) : '?';
    const std::optional<unsigned long> pid = TempFileOwner(suffix);
    if (pid && !ProcessRuns(static_cast<DWORD>(*pid))) DeleteFileW((folder + file).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// Another process that merely has the file open (a reader, a virus
// scanner, another save) keeps it from being replaced for a moment: the
// replacement is tried again after growing waits, about a second in all.
bool MoveIntoPlace(const std::wstring& temp, const std::wstring& target) {
  constexpr DWORD kMaxWait = 1000;
  for (DWORD wait = 10, waited = 0;; wait *= 2) {
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION) ||
        waited >= kMaxWait)
      return false;
    wait = std::min(wait, kMaxWait - waited);
    Sleep(wait);
    waited += wait;
  }
}

// The new file takes the old one's DACL, so that rights given on the file
// alone (the installer lets every user change Board.ini, not the folder)
// outlive a save by someone who may add files to the folder.
void TakeAccess(const std::wstring& from, HANDLE to) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                            &descriptor) != ERROR_SUCCESS)
    return;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  SetSecurityInfo(to, SE_FILE_OBJECT,
                  DACL_SECURITY_INFORMATION | (control & SE_DACL_PROTECTED ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                           : UNPROTECTED_DACL_SECURITY_INFORMATION),
                  nullptr, nullptr, dacl, nullptr);
  LocalFree(descriptor);
}

// A file the user may change in a folder where they may not add a file
// (Board.ini of the installed module), or any existing file of a process
// whose writes to protected folders Windows would redirect to the user's
// VirtualStore (a 32-bit host without a manifest): its bytes are rewritten
// in place. The file is first made long enough for the new text, so that a
// full disk fails before anything is overwritten.
bool RewriteInPlace(const std::wstring& target, const std::string& text, FileFailure& failure) {
  HANDLE h = INVALID_HANDLE_VALUE;
  for (DWORD wait = 10, waited = 0; (h = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) ==
                                        INVALID_HANDLE_VALUE &&
                                    GetLastError() == ERROR_SHARING_VIOLATION && waited < 1000;
       wait *= 2) {
    Sleep(wait);
    waited += wait;
  }
  if (h == INVALID_HANDLE_VALUE) {
    failure = FailureOf(GetLastError());
    return false;
  }
  LARGE_INTEGER size{}, length{}, start{};
  length.QuadPart = static_cast<LONGLONG>(text.size());
  bool ok = GetFileSizeEx(h, &size) && (size.QuadPart >= length.QuadPart ||
                                        (SetFilePointerEx(h, length, nullptr, FILE_BEGIN) && SetEndOfFile(h)));
  ok = ok && SetFilePointerEx(h, start, nullptr, FILE_BEGIN) && WriteAll(h, text) &&
       SetFilePointerEx(h, length, nullptr, FILE_BEGIN) && SetEndOfFile(h) && FlushFileBuffers(h);
  if (!ok) failure = FailureOf(GetLastError());
  CloseHandle(h);
  return ok;
}

bool Virtualized() {
  HANDLE token = nullptr;
  DWORD on = 0, size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  if (!GetTokenInformation(token, TokenVirtualizationEnabled, &on, sizeof on, &size)) on = 0;
  CloseHandle(token);
  return on != 0;
}

}  // namespace

bool ReplaceWholeFile(const std::filesystem::path& path, const std::string& text, FileFailure* why) {
  FileFailure ignored;
  FileFailure& failure = why ? *why : ignored;
  failure = FileFailure::kNone;
  if (IsDevicePath(path)) {
    failure = FileFailure::kNotAFile;
    return false;
  }
  const std::wstring target = FileApiPath(path);
  // The platform (Wine as the superuser, at least) writes, moves over and
  // replaces read-only files without complaint: the attribute is looked at
  // here. The new file takes the old one's hidden and system attributes.
  DWORD keep = FILE_ATTRIBUTE_NORMAL;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
      failure = attributes & FILE_ATTRIBUTE_DIRECTORY ? FileFailure::kNotAFile : FileFailure::kReadOnly;
      return false;
    }
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      keep = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    // Something that has no attributes to give, such as a pipe, is no file.
    HANDLE h = OpenRegularFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    failure = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_BAD_FILE_TYPE ? FileFailure::kNotAFile : FailureOf(error);
    return false;
  }

  if (attributes != INVALID_FILE_ATTRIBUTES && Virtualized()) return RewriteInPlace(target, text, failure);

  RemoveStaleTempFiles(target);
  // A name no other save uses: this process's id, a count, and CREATE_NEW.
  static std::atomic<unsigned> counter{0};
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; h == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    const std::string suffix = TempFileSuffix(GetCurrentProcessId(), counter++);
    temp = target + std::wstring(suffix.begin(), suffix.end());
    h = CreateFileW(temp.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW, keep, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      const DWORD error = GetLastError();
      if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES)
        return RewriteInPlace(target, text, failure);
      failure = FailureOf(error);
      return false;
    }
  }
  if (h == INVALID_HANDLE_VALUE) {
    failure = FileFailure::kOther;
    return false;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) TakeAccess(target, h);
  bool ok = WriteAll(h, text) && FlushFileBuffers(h);
  DWORD error = GetLastError();
  if (!CloseHandle(h) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && MoveIntoPlace(temp, target)) return true;
  if (ok) error = GetLastError();
  failure = FailureOf(error);
  // Another program that has the file open without sharing its removal
  // makes the system say "access denied"; it is in use, not forbidden.
  if (ok && failure == FileFailure::kAccessDenied) {
    HANDLE probe = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe != INVALID_HANDLE_VALUE)
      CloseHandle(probe);
    else if (GetLastError() == ERROR_SHARING_VIOLATION)
      failure = FileFailure::kInUse;
  }
  DeleteFileW(temp.c_str());
  return false;
}
