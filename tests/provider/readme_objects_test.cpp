
#include "tests/provider/object_list.h"
#include "tests/provider/provider_test_support.h"
#include "tests/readme_text.h"

namespace provider_test {
namespace {

TEST(ReadmeObjects, ListInTheReadmeIsTheProvidersTables) {
  std::string readme = ReadReadme();
  auto expected = WithObjectList(readme, ObjectListMarkdown());
  ASSERT_TRUE(expected) << "README.md lacks the object list markers";
  EXPECT_EQ(readme, *expected)
      << "README.md's object list differs from the provider's tables; rewrite it with "
         "build/tests/provider/provider_readme_objects README.md";
}

TEST(ReadmeObjects, ListHasOneRowPerCounterWithTypeIndicesAndGermanPath) {
  std::string list = ObjectListMarkdown();
  EXPECT_NE(list.find("| Processor | % Processor Time | PERF_100NSEC_TIMER_INV | 238, 6 | "
                      "`Prozessor\\Prozessorzeit (%)` |\n"),
            std::string::npos);
  EXPECT_NE(list.find("| Paging File | % Usage Peak | PERF_RAW_FRACTION | 700, 704 | "
                      "`Auslagerungsdatei\\Belegungsspitze (%)` |\n"),
            std::string::npos);
  EXPECT_EQ(WithObjectList("no markers here", list), std::nullopt);
  std::string readme = std::string("a\n") + kObjectListBegin + "\nold\n" + kObjectListEnd + "\nb\n";
  EXPECT_EQ(*WithObjectList(readme, "new\n"),
            std::string("a\n") + kObjectListBegin + "\nnew\n" + kObjectListEnd + "\nb\n");
}

}  // namespace
}  // namespace provider_test
