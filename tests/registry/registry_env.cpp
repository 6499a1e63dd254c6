#include "registry_env.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

RegistryFileScope::RegistryFileScope(const std::filesystem::path& file) {
  if (const char* value = std::getenv("QUILLON_REGISTRY")) previous_ = value;
  ::setenv("QUILLON_REGISTRY", file.c_str(), 1);
}

RegistryFileScope::~RegistryFileScope() {
  if (previous_) {
    ::setenv("QUILLON_REGISTRY", previous_->c_str(), 1);
  } else {
    ::unsetenv("QUILLON_REGISTRY");
  }
}

ScratchDir::ScratchDir() {
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  dir_ = std::filesystem::temp_directory_path() /
         ("quillon-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
          std::to_string(::getpid()));
  std::filesystem::create_directories(dir_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::filesystem::path ScratchDir::Write(const std::string& name, const std::string& content) const {
  const auto path = dir_ / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  return path;
}

std::filesystem::path Fixture(const std::string& name) {
  return std::filesystem::path(QUILLON_SOURCE_DIR) / "tests/fixtures/registry" / name;
}
