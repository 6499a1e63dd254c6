// The registry backend and the registry helper above it, on a key that "reg import"
// wrote into the prefix's real registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "perf/ex_registry.h"
#include "platform/registry.h"

namespace {

constexpr const char* kTestKey = "SOFTWARE\\quillon-seam-test";

class RegistrySeam : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(
        platform::OpenRegKey(platform::kHKeyLocalMachine, kTestKey, platform::kKeyRead, &key_),
        platform::kErrorSuccess)
        << "the key is imported by the wine_registry test";
  }
  void TearDown() override { platform::CloseRegKey(key_); }

  platform::RegKey key_ = 0;
};

TEST_F(RegistrySeam, ValuesAnswerTheSizeProbeThenTheirData) {
  uint32_t type = 0;
  uint32_t size = 0;
  ASSERT_EQ(platform::QueryRegValue(key_, "text", &type, nullptr, &size), platform::kErrorSuccess);
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(size, sizeof "a text value");
  std::vector<uint8_t> data(size);
  ASSERT_EQ(platform::QueryRegValue(key_, "text", &type, data.data(), &size),
            platform::kErrorSuccess);
  EXPECT_STREQ(reinterpret_cast<const char*>(data.data()), "a text value");

  uint32_t small = 4;
  EXPECT_EQ(platform::QueryRegValue(key_, "text", &type, data.data(), &small),
            platform::kErrorMoreData);
  EXPECT_EQ(small, sizeof "a text value");

  uint32_t number = 0;
  size = sizeof number;
  ASSERT_EQ(
      platform::QueryRegValue(key_, "number", &type, reinterpret_cast<uint8_t*>(&number), &size),
      platform::kErrorSuccess);
  EXPECT_EQ(type, platform::kRegDword);
  EXPECT_EQ(number, 60000u);

  EXPECT_EQ(platform::QueryRegValue(key_, "absent", &type, nullptr, &size),
            platform::kErrorFileNotFound);
}

TEST_F(RegistrySeam, SubkeysAreCountedAndEnumerated) {
  uint32_t count = 0;
  uint32_t longest = 0;
  ASSERT_EQ(platform::QueryRegKeyInfo(key_, &count, &longest), platform::kErrorSuccess);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(longest, std::string("second-and-longer").size());
  std::vector<std::string> names;
  for (uint32_t index = 0;; ++index) {
    char name[64] = {};
    uint32_t length = sizeof name;
    const int32_t status = platform::EnumRegKey(key_, index, name, &length);
    if (status == platform::kErrorNoMoreItems) break;
    ASSERT_EQ(status, platform::kErrorSuccess);
    names.emplace_back(name, length);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"first", "second-and-longer"}));
}

TEST(RegistryHelper, ReadsStringsNumbersAndMultiStringsThroughTheSeam) {
  perf::TExRegistry registry(platform::kKeyRead);
  registry.SetRootKey(platform::kHKeyLocalMachine);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kTestKey));
  EXPECT_EQ(registry.ReadString("text"), "a text value");
  EXPECT_EQ(registry.ReadString("empty"), "");
  EXPECT_EQ(registry.ReadInteger("number"), 60000);
  std::vector<std::string> list;
  registry.ReadMultiSz("list", list);
  EXPECT_EQ(list, (std::vector<std::string>{"one", "two"}));
  std::vector<std::string> names;
  registry.GetKeyNames(names);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_THROW(registry.ReadInteger("text"), perf::ERegistryException);
  EXPECT_FALSE(registry.OpenKeyReadOnly("SOFTWARE\\quillon-seam-test\\absent"));
}

TEST(RegistryHelper, ErrorCodesHaveTheSystemsText) {
  EXPECT_NE(platform::SystemErrorText(platform::kErrorFileNotFound), "");
  platform::SetThreadLastError(platform::kErrorAccessDenied);
  EXPECT_EQ(platform::ThreadLastError(), platform::kErrorAccessDenied);
}

}  // namespace
