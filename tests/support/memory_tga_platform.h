// The reader's platform with files in memory, for tests, the fuzzer and the
// benchmarks: counters and a log of what the reader did to the files, files
// that fail from a given byte on, and paths held open elsewhere.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tga_memory.h"
#include "tga_platform.h"

// What the reader did to the files of a MemoryTgaPlatform.
struct MemoryTgaStats {
  int opens = 0;      // successful opens
  int openFiles = 0;  // opened and not yet closed
  int reads = 0;
  int seeks = 0;
  int beeps = 0;
  long lastReadSize = 0;
  // With keepLog, every read ("r<asked>:<delivered>"), seek ("s<offset>")
  // and beep ("b") in order, each followed by a space.
  bool keepLog = false;
  std::string log;
};

// A read-only file over bytes held elsewhere. A read that would reach byte
// errorFrom (when it is 0 or more) fails with -1, as on a bad disk; a seek
// to any offset of 0 or more succeeds, and reads past the end deliver
// nothing, as with a disk file.
class MemoryTgaFile : public TgaFile {
 public:
  MemoryTgaFile(std::shared_ptr<const std::vector<uint8_t>> bytes, long errorFrom, MemoryTgaStats* stats);
  ~MemoryTgaFile() override;
  long Read(void* buffer, long size) override;
  bool Seek(long offset) override;

 private:
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  long errorFrom_;
  MemoryTgaStats* stats_;
  long pos_ = 0;
};

// Files by path in memory. Opening a missing path, or one marked as held
// open elsewhere (the real platform opens without sharing), gives null.
class MemoryTgaPlatform : public TgaPlatform {
 public:
  void AddFile(const std::filesystem::path& path, std::vector<uint8_t> bytes, long errorFrom = -1);
  // Marks a path as held open elsewhere (or frees it again).
  void SetBusy(const std::filesystem::path& path, bool busy);

  std::unique_ptr<TgaFile> Open(const std::filesystem::path& path) override;
  void Beep() override;
  std::unique_ptr<ImageHolder> NewImageHolder() override;

  MemoryTgaStats& stats() { return stats_; }

 private:
  struct Entry {
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    long errorFrom = -1;
    bool busy = false;
  };
  std::map<std::filesystem::path, Entry> files_;
  MemoryTgaStats stats_;
};
