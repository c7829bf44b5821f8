// What a module's entry point uses: the export of its one C function, and the check that the
// program calling it is of the module's own build.
#pragma once

#include <cstring>

#include "loader/build_id.h"

// Marks a module's entry point as the one symbol the module exports.
#define ZENTROPE_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace loader {

// A module's entry point: given the calling program's build identity, its table of functions,
// or null when the program is of another build (whose tables may be laid out differently).
using ModuleEntry = const void* (*)(const char* build);

inline bool IsThisBuild(const char* build) {
  return build != nullptr && std::strcmp(build, kBuildId) == 0;
}

}  // namespace loader
