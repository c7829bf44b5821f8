// Loading a module (a shared object of this program holding the code over one large library) the
// first time a feature needs it, and finding its entry point.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "text/result.h"

namespace loader {

// The modules of the program, as files in the module folder.
inline constexpr char kFfmpegModule[] = "zentrope-ffmpeg.so";
inline constexpr char kTesseractModule[] = "zentrope-tesseract.so";
inline constexpr char kOpenCcModule[] = "zentrope-opencc.so";

// The environment variable that names the one folder to look in, when set and not empty.
inline constexpr char kModuleFolderVariable[] = "ZENTROPE_MODULE_DIR";

// The folder the modules are looked for in: the one SetModuleFolder gave; else the folder in
// ZENTROPE_MODULE_DIR; else, for a program running from its build tree, the build tree's module
// folder; else the installed folder relative to the executable (<bin>/../lib/zentrope under the
// usual layout).
std::filesystem::path ModuleFolder();

// Opens `file` (one of the names above) from ModuleFolder(), once for the process (a module is
// never closed), and returns what its entry point, the C function `entry`, gives for this
// build: the module's table of functions, which the caller casts to its own type. Error code
// "module", naming the module: the file cannot be opened (missing, or a library it needs
// missing: the message holds dlerror()'s text), it has no such entry point, or it is of another
// build of the program. A failure is not kept: the next call tries again. Thread-safe.
// `linked_in`: the entry point when the program links the module's code itself (a weak symbol,
// null otherwise); then no file is opened.
text::Result<const void*> LoadModule(const std::string& file, const std::string& entry,
                                     const void* (*linked_in)(const char* build) = nullptr);

// Makes ModuleFolder() give `folder` (nullopt: back to the usual search) and forgets the modules
// found so far, which stay mapped. For tests.
void SetModuleFolder(std::optional<std::filesystem::path> folder);

}  // namespace loader
