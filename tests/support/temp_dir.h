// A temporary folder made for one test and removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const {
    return path_;
  }
  std::filesystem::path operator/(std::string_view name) const {
    return path_ / name;
  }

  // Writes `bytes` to the file `name` inside the folder and returns its path.
  std::filesystem::path Write(std::string_view name, std::string_view bytes) const;
  // Reads the whole file `name` inside the folder ("" when missing).
  std::string Read(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support
