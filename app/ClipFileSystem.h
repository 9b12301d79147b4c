#pragma once
// The disk as the clip files see it: the operations they need, and the sweep of what
// killed writers left behind.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/FileIO.h"

namespace qv {

// The file operations the clip files need: the real ones, or a test's that fail on cue.
// Failures carry the system's code, so that what the user is told says why.
class TFileSystem {
 public:
  virtual ~TFileSystem() = default;
  virtual TFileStatus Read(const std::string& path, std::string& bytes, size_t (*leadFor)(size_t),
                           size_t* leadUsed);
  virtual bool Exists(const std::string& path);
  // A new temporary file beside path holding bytes, pushed to the disk; its path in
  // temporary, which a failure leaves as it was.
  virtual TFileStatus WriteTemporary(const std::string& path, const std::string& bytes,
                                     std::string& temporary);
  // Puts from in the place of to in one step.
  virtual TFileStatus Replace(const std::string& from, const std::string& to);
  // Renames to a name not taken yet.
  virtual TFileStatus RenameNew(const std::string& from, const std::string& to);
  virtual TFileStatus Append(const std::string& path, const std::string& bytes);
  virtual TFileStatus Remove(const std::string& path);
  virtual bool ModifiedTime(const std::string& path, int64_t& time);
  virtual std::vector<std::string> Names(const std::string& folder);
};
TFileSystem& RealFileSystem();

// Removes the temporary files that killed writers of these files left in the folder
// (ending in its separator), except those named in keep (full paths).
void SweepTemporaries(TFileSystem& files, const std::string& folder,
                      const std::vector<std::string>& names,
                      const std::vector<std::string>& keep = {});

}  // namespace qv
