#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_inputs.h"
#include "platform/profile.h"

namespace quillon::fuzz {
namespace {

constexpr uint32_t kListSize = 65536;
// Enough sections and keys to reach every kind of line without slowing the run.
constexpr size_t kMostNames = 64;

// Each input goes to a file of its own, so that a reader keyed by the file's
// identity never serves the previous input.
class InputFile {
 public:
  explicit InputFile(std::string_view data) {
    static unsigned serial = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("quillon-fuzz-ini-" + std::to_string(getpid()) + "-" + std::to_string(serial++)))
                .string();
    FILE* file = std::fopen(path_.c_str(), "wb");
    Require(file != nullptr, "the input file can be written");
    std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
  }
  ~InputFile() { std::remove(path_.c_str()); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const char* Path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// A list in a buffer of exactly `size` bytes, so that the sanitizer sees any
// write past it; the names, read from a copy that is large enough.
std::vector<std::string> ReadList(const char* section, uint32_t size, const char* file) {
  std::vector<char> exact(size);
  const uint32_t got = platform::ProfileString(section, nullptr, "", exact.data(), size, file);
  Require(got < size && exact[got] == '\0', "a list ends in a zero byte within its buffer");
  std::vector<std::string> names;
  for (uint32_t at = 0; at < got && names.size() < kMostNames;) {
    std::string name(exact.data() + at);
    at += static_cast<uint32_t>(name.size()) + 1;
    names.push_back(std::move(name));
  }
  return names;
}

void ReadValue(const char* section, const char* key, uint32_t size, const char* file) {
  std::vector<char> exact(size);
  const uint32_t got = platform::ProfileString(section, key, "default ", exact.data(), size, file);
  Require(got < size, "a value fits its buffer");
  Require(exact[got] == '\0', "a value ends in a zero byte");
}

}  // namespace

// The counters file's reader: every section, every key of it and every value, in
// a large buffer and in one whose size the input's first byte chooses.
void RunIniFile(std::string_view data) {
  const uint32_t smallSize = data.empty() ? 1 : static_cast<uint8_t>(data.front()) % 64 + 1;
  const InputFile file(data);
  ReadList(nullptr, smallSize, file.Path());
  for (const std::string& section : ReadList(nullptr, kListSize, file.Path())) {
    ReadList(section.c_str(), smallSize, file.Path());
    for (const std::string& key : ReadList(section.c_str(), kListSize, file.Path())) {
      ReadValue(section.c_str(), key.c_str(), 4096, file.Path());
      ReadValue(section.c_str(), key.c_str(), smallSize, file.Path());
    }
  }
}

}  // namespace quillon::fuzz
