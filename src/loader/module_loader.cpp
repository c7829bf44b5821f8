// The module loader over dlopen: where the modules lie, and one handle per module for the life of
// the process.
#include "loader/module_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>

#include "loader/module_entry.h"
#include "text/line_file.h"

namespace loader {
namespace {

namespace fs = std::filesystem;

struct LoaderState {
  std::mutex mutex;
  std::optional<fs::path> folder;            // set by SetModuleFolder
  std::map<std::string, const void*> found;  // module file -> its table
};

LoaderState& State() {
  static LoaderState state;
  return state;
}

text::Error ModuleError(const std::string& file, const std::string& what) {
  return text::Error{"module", "the module " + file + " cannot be loaded: " + what, 0};
}

fs::path ExecutableFolder() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : executable.parent_path();
}

// True when `path` lies inside `folder` (both absolute and free of symbolic links).
bool IsInside(const fs::path& path, const fs::path& folder) {
  auto [folder_end, path_end] =
      std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folder_end == folder.end();
}

fs::path UsualFolder(const std::optional<fs::path>& chosen) {
  if (chosen) {
    return *chosen;
  }
  if (const char* named = std::getenv(kModuleFolderVariable); named != nullptr && *named != '\0') {
    return fs::path(named);
  }
  const fs::path executable_folder = ExecutableFolder();
  // A program of the build tree (the programs, tests and benchmarks) takes the build's modules;
  // an installed one those installed with it. The build tree may be reached through a link.
  std::error_code error;
  const fs::path build_tree = fs::weakly_canonical(ZENTROPE_BUILD_TREE, error);
  if (!executable_folder.empty() && !error && IsInside(executable_folder, build_tree)) {
    return ZENTROPE_MODULE_BUILD_DIR;
  }
  return (executable_folder / ZENTROPE_MODULES_FROM_BIN).lexically_normal();
}

}  // namespace

fs::path ModuleFolder() {
  LoaderState& state = State();
  const std::lock_guard<std::mutex> lock(state.mutex);
  return UsualFolder(state.folder);
}

text::Result<const void*> LoadModule(const std::string& file, const std::string& entry,
                                     const void* (*linked_in)(const char* build)) {
  if (linked_in != nullptr) {
    if (const void* table = linked_in(kBuildId); table != nullptr) {
      return table;
    }
    return ModuleError(file, "the code linked into the program is of another build");
  }
  LoaderState& state = State();
  const std::lock_guard<std::mutex> lock(state.mutex);
  if (const auto known = state.found.find(file); known != state.found.end()) {
    return known->second;
  }
  const fs::path path = UsualFolder(state.folder) / file;
  // RTLD_NOW: a library symbol the module lacks shows here, not in the middle of a feature.
  // RTLD_LOCAL: the module's libraries stay out of the way of the program's own symbols.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    return ModuleError(file, reason != nullptr ? reason : text::PathForMessage(path));
  }
  dlerror();
  void* symbol = dlsym(handle, entry.c_str());
  if (symbol == nullptr) {
    // dlclose resets dlerror's text: keep a copy first.
    const char* said = dlerror();
    const std::string reason = said != nullptr ? said : "no entry point " + entry;
    dlclose(handle);
    return ModuleError(file, reason);
  }
  const auto entry_point = reinterpret_cast<ModuleEntry>(symbol);
  const void* table = entry_point(kBuildId);
  if (table == nullptr) {
    // The module stays mapped: its code may already have run (static constructors) and
    // closing it gains nothing.
    return ModuleError(file, text::PathForMessage(path) +
                                 " belongs to another build of the program than " + kBuildId);
  }
  state.found.emplace(file, table);
  return table;
}

void SetModuleFolder(std::optional<fs::path> folder) {
  LoaderState& state = State();
  const std::lock_guard<std::mutex> lock(state.mutex);
  state.folder = std::move(folder);
  state.found.clear();
}

}  // namespace loader
