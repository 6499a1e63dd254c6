#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Points the registry stand-in at a .reg file for the time of one test.
class RegistryFileScope {
 public:
  explicit RegistryFileScope(const std::filesystem::path& file);
  ~RegistryFileScope();
  RegistryFileScope(const RegistryFileScope&) = delete;
  RegistryFileScope& operator=(const RegistryFileScope&) = delete;

 private:
  std::optional<std::string> previous_;
};

// A directory of the running test's own, removed with everything in it afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::filesystem::path Write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path dir_;
};

std::filesystem::path Fixture(const std::string& name);
