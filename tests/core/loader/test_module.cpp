// A module for the loader's tests: its table is one number.
#include "loader/module_entry.h"

namespace {

constexpr int kTable = 4711;

}  // namespace

ZENTROPE_MODULE_ENTRY const void* zentrope_test_module(const char* build) {
  return loader::IsThisBuild(build) ? &kTable : nullptr;
}
