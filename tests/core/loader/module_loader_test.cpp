// The module loader: which folder it looks in, and a clear error naming the module for each way
// loading can fail.
#include "loader/module_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace {

// Sets or clears an environment variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* before = std::getenv(name); before != nullptr) {
      before_ = before;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (before_) {
      ::setenv(name_, before_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> before_;
};

TEST(ModuleLoader, LooksInTheChosenFolderTheVariableOrTheBuildTree) {
  {
    const ScopedVariable unset(loader::kModuleFolderVariable, nullptr);
    // A test runs from the build tree, so it finds the build's modules.
    EXPECT_EQ(loader::ModuleFolder(), std::filesystem::path(MODULE_BUILD_DIR));
  }
  {
    const ScopedVariable empty(loader::kModuleFolderVariable, "");
    EXPECT_EQ(loader::ModuleFolder(), std::filesystem::path(MODULE_BUILD_DIR));
  }
  const ScopedVariable named(loader::kModuleFolderVariable, "/opt/modules");
  EXPECT_EQ(loader::ModuleFolder(), std::filesystem::path("/opt/modules"));
  loader::SetModuleFolder("/elsewhere");
  EXPECT_EQ(loader::ModuleFolder(), std::filesystem::path("/elsewhere"));
  loader::SetModuleFolder(std::nullopt);
  EXPECT_EQ(loader::ModuleFolder(), std::filesystem::path("/opt/modules"));
}

TEST(ModuleLoader, GivesTheTableOfAModuleOfThisBuildOnce) {
  loader::SetModuleFolder(TEST_MODULE_DIR);
  const auto first = loader::LoadModule("zentrope-test-this.so", "zentrope_test_module");
  ASSERT_TRUE(first.ok()) << first.error().message;
  EXPECT_EQ(*static_cast<const int*>(first.value()), 4711);
  // Kept: a folder without the module no longer matters until the folder is set again.
  const auto again = loader::LoadModule("zentrope-test-this.so", "zentrope_test_module");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.value(), first.value());
  loader::SetModuleFolder(std::nullopt);
}

TEST(ModuleLoader, RefusesWhatCannotBeLoadedNamingTheModule) {
  testing_support::TempDir folder;
  folder.Write("zentrope-junk.so", "not a shared object\n");
  struct Case {
    std::string folder;
    std::string file;
    std::string entry;
    std::string reason;  // part of the message after the module's name
  };
  const Case cases[] = {
      {folder.path().string(), "zentrope-test-this.so", "zentrope_test_module",
       "cannot open shared object file: No such file or directory"},
      {folder.path().string(), "zentrope-junk.so", "zentrope_test_module", "zentrope-junk.so: "},
      {TEST_MODULE_DIR, "zentrope-test-this.so", "zentrope_other_entry",
       "undefined symbol: zentrope_other_entry"},
      {TEST_MODULE_DIR, "zentrope-test-other.so", "zentrope_test_module",
       "belongs to another build of the program"},
  };
  for (const Case& c : cases) {
    loader::SetModuleFolder(c.folder);
    const auto loaded = loader::LoadModule(c.file, c.entry);
    ASSERT_FALSE(loaded.ok()) << c.file << " in " << c.folder;
    EXPECT_EQ(loaded.error().code, "module");
    const std::string& message = loaded.error().message;
    EXPECT_EQ(message.rfind("the module " + c.file + " cannot be loaded: ", 0), 0U) << message;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
  }
  // A failure is not kept: the module loads once it is there.
  loader::SetModuleFolder(TEST_MODULE_DIR);
  EXPECT_TRUE(loader::LoadModule("zentrope-test-this.so", "zentrope_test_module").ok());
  loader::SetModuleFolder(std::nullopt);
}

TEST(ModuleLoader, TakesCodeLinkedIntoTheProgramWithoutAFile) {
  loader::SetModuleFolder("/nonexistent");
  const auto linked = loader::LoadModule("zentrope-test-this.so", "zentrope_test_module",
                                         [](const char* build) -> const void* {
                                           return std::string(build).empty() ? nullptr : build;
                                         });
  loader::SetModuleFolder(std::nullopt);
  ASSERT_TRUE(linked.ok()) << linked.error().message;
  // The linked entry was asked with this build's identity.
  EXPECT_EQ(std::string(static_cast<const char*>(linked.value())).rfind("zentrope ", 0), 0U);
}

}  // namespace
