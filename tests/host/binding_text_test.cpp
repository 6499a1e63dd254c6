#include <gtest/gtest.h>

#include "host/binding.h"

// The text of bindings as the check report and the service's log lines show them.
namespace exthost {
namespace {

TEST(BindingText, OidsStatusesAndQuotedBytes) {
  EXPECT_EQ(OidToText({1, 3, 6, 1, 4, 1, 15}), "1.3.6.1.4.1.15");
  EXPECT_EQ(OidToText({}), "");
  EXPECT_EQ(StatusName(kGenErr), "genErr");
  EXPECT_EQ(StatusName(17), "error status 17");
  EXPECT_EQ(Quoted(std::string("a\"b\\c\n\x7f", 8)), "\"a\\\"b\\\\c\\x0a\\x7f\\x00\"");
}

TEST(BindingText, ValuesNameTheirSyntax) {
  EXPECT_EQ(ValueText({Syntax::Integer, -5, "", {}}), "INTEGER: -5");
  EXPECT_EQ(ValueText({Syntax::OctetString, 0, "up", {}}), "STRING: \"up\"");
  EXPECT_EQ(ValueText({Syntax::ObjectId, 0, "", {1, 3, 6}}), "OID: 1.3.6");
  EXPECT_EQ(ValueText({}), "NULL");
  EXPECT_EQ(ValueText({Syntax::Counter32, 42, "", {}}), "type 65: 42");
  EXPECT_EQ(ValueText({Syntax::IpAddress, 0, std::string("\x7f\0\0\x01", 4), {}}),
            "type 64: \"\\x7f\\x00\\x00\\x01\"");
}

}  // namespace
}  // namespace exthost
