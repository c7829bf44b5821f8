// The real file layer and the several-file write with its commit record.
#include "library/file_layer.h"

#include <system_error>

namespace library {
namespace {

text::Error IoError(const char* what, const std::filesystem::path& path,
                    const std::error_code& ec) {
  return text::Error{"io",
                     std::string(what) + " " + text::PathForMessage(path) + ": " + ec.message()};
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute;
}

std::filesystem::path StagedPath(const std::filesystem::path& target) {
  std::filesystem::path staged = target;
  staged += kStagedSuffix;
  return staged;
}

// Renames every listed staged copy that is still there over its target, then drops the record.
// Each step is idempotent, so a crash during completion is completed again next time.
text::Status CompleteRecord(FileLayer& files, const std::filesystem::path& folder,
                            const std::filesystem::path& record) {
  auto targets = files.ReadLines(record);
  if (!targets.ok()) {
    return targets.error();
  }
  for (const auto& target_text : targets.value()) {
    if (target_text.empty()) {
      continue;
    }
    // Files of the working folder are listed by name, so that a folder moved after a crash is
    // still completed in place; files elsewhere (an exchange library) by their full path.
    const std::filesystem::path listed(target_text);
    const auto target = listed.is_absolute() ? listed : folder / listed;
    const auto staged = StagedPath(target);
    if (files.Exists(staged)) {
      if (auto renamed = files.Rename(staged, target); !renamed.ok()) {
        return renamed;
      }
    }
  }
  return files.Remove(record);
}

// Removes the hidden temporary files of atomic writes that never reached their rename: those of
// the own files, of their staged copies and of the commit record. Nothing else writes such
// names, and a finished write leaves none, so each one is a leftover.
text::Status RemoveTemporaries(FileLayer& files, const std::filesystem::path& folder,
                               const std::vector<std::string>& own_names) {
  std::vector<std::string> written{kCommitRecordName};
  for (const auto& name : own_names) {
    written.push_back(name);
    written.push_back(name + kStagedSuffix);
  }
  for (const auto& file_name : files.FileNames(folder)) {
    for (const auto& name : written) {
      if (text::IsTemporaryOf(file_name, name)) {
        if (auto removed = files.Remove(folder / file_name); !removed.ok()) {
          return removed;
        }
        break;
      }
    }
  }
  return text::Success();
}

}  // namespace

bool RealFileLayer::Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

text::Result<text::Lines> RealFileLayer::ReadLines(const std::filesystem::path& path) {
  return text::ReadLines(path);
}

text::Status RealFileLayer::WriteLines(const std::filesystem::path& path,
                                       const text::Lines& lines) {
  return text::WriteLines(path, lines);
}

std::vector<std::string> FileLayer::FileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

text::Status RealFileLayer::Rename(const std::filesystem::path& from,
                                   const std::filesystem::path& to) {
  if (!text::PassFileStep(text::FileStep::kRename, to)) {
    return IoError("Cannot rename", from, std::make_error_code(std::errc::io_error));
  }
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  if (ec) {
    return IoError("Cannot rename", from, ec);
  }
  return text::Success();
}

text::Status RealFileLayer::Remove(const std::filesystem::path& path) {
  if (!text::PassFileStep(text::FileStep::kRemove, path)) {
    return IoError("Cannot delete", path, std::make_error_code(std::errc::io_error));
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (ec) {
    return IoError("Cannot delete", path, ec);
  }
  return text::Success();
}

text::Status RealFileLayer::CreateFolder(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) {
    return IoError("Cannot create folder", path, ec);
  }
  return text::Success();
}

text::Status WriteFilesTogether(FileLayer& files, const std::filesystem::path& folder,
                                const std::vector<PlannedFile>& planned) {
  const auto record = folder / kCommitRecordName;
  if (files.Exists(record)) {
    if (auto done = CompleteRecord(files, folder, record); !done.ok()) {
      return done;
    }
  }
  text::Lines targets;
  targets.reserve(planned.size());
  for (const auto& file : planned) {
    if (auto written = files.WriteLines(StagedPath(file.path), file.lines); !written.ok()) {
      return written;
    }
    // Both made absolute first: a path relative to the current folder (an exchange library named
    // on the command line) must not be read back against the working folder.
    const auto absolute = AbsolutePath(file.path);
    const auto relative =
        absolute.lexically_normal().lexically_relative(AbsolutePath(folder).lexically_normal());
    const bool inside = !relative.empty() && relative.is_relative() &&
                        *relative.begin() != std::filesystem::path("..");
    targets.push_back(inside ? relative.string() : absolute.lexically_normal().string());
  }
  if (auto committed = files.WriteLines(record, targets); !committed.ok()) {
    return committed;
  }
  // From here on the change has happened; a failure below is completed by the next write or load.
  (void)CompleteRecord(files, folder, record);
  return text::Success();
}

text::Status FinishInterruptedWrite(FileLayer& files, const std::filesystem::path& folder,
                                    const std::vector<std::string>& own_names, bool* finished) {
  if (finished != nullptr) {
    *finished = false;
  }
  const auto record = folder / kCommitRecordName;
  if (files.Exists(record)) {
    if (auto done = CompleteRecord(files, folder, record); !done.ok()) {
      return done;
    }
    if (finished != nullptr) {
      *finished = true;
    }
  } else {
    // No commit record: any staged copy belongs to a write that never happened.
    for (const auto& name : own_names) {
      const auto staged = StagedPath(folder / name);
      if (files.Exists(staged)) {
        if (auto removed = files.Remove(staged); !removed.ok()) {
          return removed;
        }
      }
    }
  }
  return RemoveTemporaries(files, folder, own_names);
}

}  // namespace library
