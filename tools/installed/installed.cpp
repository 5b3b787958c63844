#include "installed.h"

#include <cstdio>

namespace {

// Access rights as the file system counts them (winnt.h).
constexpr unsigned kDelete = 0x10000, kReadControl = 0x20000, kSynchronize = 0x100000;
constexpr unsigned kReadData = 0x1, kWriteData = 0x2, kAppendData = 0x4, kReadEa = 0x8, kWriteEa = 0x10,
                   kExecute = 0x20, kReadAttributes = 0x80, kWriteAttributes = 0x100;
constexpr unsigned kGenericRead = kReadControl | kReadData | kReadAttributes | kReadEa | kSynchronize;
constexpr unsigned kGenericWrite = kReadControl | kWriteData | kWriteAttributes | kWriteEa | kAppendData | kSynchronize;
constexpr unsigned kGenericExecute = kReadControl | kReadAttributes | kExecute | kSynchronize;
// What icacls calls M (modify) and RX (read and execute).
constexpr unsigned kModify = kGenericRead | kGenericWrite | kGenericExecute | kDelete;
constexpr unsigned kReadExecute = kGenericRead | kGenericExecute;

std::string Ace(const char* flags, const char* rights, const char* who) {
  return std::string("(A;") + flags + ";" + rights + ";;;" + who + ")";
}
std::string Ace(const char* flags, unsigned rights, const char* who) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", rights);
  return Ace(flags, hex, who);
}

}  // namespace

std::string GuardedSddl(Guarded what) {
  // A folder hands its entries down to files and folders made in it.
  const char* inherit = what == Guarded::kBoardIni ? "" : "OICI";
  const unsigned users = what == Guarded::kRecords ? kReadExecute : kModify;
  return "O:BAD:P" + Ace(inherit, "FA", "SY") + Ace(inherit, "FA", "BA") + Ace(inherit, users, "BU");
}

BoardSettings DefaultsWithProfile(BoardSettings current, const WantedSettings& profile) {
  for (size_t i = 0; i < kBoardSettingCount; ++i)
    if (profile.values[i]) current.*kBoardSettings[i].field = *profile.values[i];
  return current;
}
