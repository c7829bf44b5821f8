// FileLayer: the file operations the glyph library writes through, and the several-file write
// that either lands completely or not at all across a crash.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "text/line_file.h"
#include "text/result.h"

namespace library {

// The file operations of the library. The real layer writes every file through
// text::WriteFileAtomic; tests inject a layer that fails from some operation on, the way a
// program that dies mid-sequence would leave the folder.
class FileLayer {
 public:
  virtual ~FileLayer() = default;
  virtual bool Exists(const std::filesystem::path& path) = 0;
  // Error "io" when the file cannot be read.
  virtual text::Result<text::Lines> ReadLines(const std::filesystem::path& path) = 0;
  // Replaces the whole file atomically (lines each followed by CR LF); on failure the old file
  // is unchanged.
  virtual text::Status WriteLines(const std::filesystem::path& path, const text::Lines& lines) = 0;
  // Renames `from` over `to` in one step (same folder).
  virtual text::Status Rename(const std::filesystem::path& from,
                              const std::filesystem::path& to) = 0;
  // Deletes a file; a missing file is success.
  virtual text::Status Remove(const std::filesystem::path& path) = 0;
  // Creates a folder when missing.
  virtual text::Status CreateFolder(const std::filesystem::path& path) = 0;
  // The file names directly inside `folder`; empty when it cannot be read.
  virtual std::vector<std::string> FileNames(const std::filesystem::path& folder);
};

// The layer over the real file system.
class RealFileLayer : public FileLayer {
 public:
  bool Exists(const std::filesystem::path& path) override;
  text::Result<text::Lines> ReadLines(const std::filesystem::path& path) override;
  text::Status WriteLines(const std::filesystem::path& path, const text::Lines& lines) override;
  text::Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  text::Status Remove(const std::filesystem::path& path) override;
  text::Status CreateFolder(const std::filesystem::path& path) override;
};

// One file of a several-file write: its final path and its whole new content.
struct PlannedFile {
  std::filesystem::path path;
  text::Lines lines;
};

// The name of the commit record in the working folder, and the suffix of the staged copies.
inline constexpr char kCommitRecordName[] = "library.commit";
inline constexpr char kStagedSuffix[] = ".new";

// Writes all `planned` files so that after a crash at any point the next
// FinishInterruptedWrite leaves either every file old or every file new:
//   0. a commit record left by an earlier interrupted write is completed first,
//   1. each file's content goes to "<path>.new" (atomic write),
//   2. the commit record, listing the targets in order, is written in `folder` (atomic write):
//      this is the moment the change happens; files inside `folder` are listed relative to it,
//      others by their absolute path (a relative one is made absolute against the current
//      folder first; records listing a relative name are read against `folder`),
//   3. each "<path>.new" is renamed over its target, in the given order,
//   4. the commit record is removed.
// Success means the change has happened (step 2 done); a failure in steps 3 or 4 is left for the
// next call or load to complete. An Error (code "io") means nothing changed.
text::Status WriteFilesTogether(FileLayer& files, const std::filesystem::path& folder,
                                const std::vector<PlannedFile>& planned);

// Completes a write that a crash interrupted: with a commit record, renames each listed
// "<path>.new" that still exists over its target and removes the record; without one, removes
// the leftover staged copies of the `own_names` in `folder`. Either way it then removes the
// hidden temporary files (text::IsTemporaryOf) that a write killed before its rename left for
// the `own_names`, their staged copies and the commit record. Sets `*finished` to true when a
// committed write was completed.
text::Status FinishInterruptedWrite(FileLayer& files, const std::filesystem::path& folder,
                                    const std::vector<std::string>& own_names,
                                    bool* finished = nullptr);

}  // namespace library
