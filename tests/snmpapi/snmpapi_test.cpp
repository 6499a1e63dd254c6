#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "snmp.h"

namespace {

struct Oid {
  explicit Oid(std::vector<UINT> ids)
      : ids_(std::move(ids)), oid{static_cast<UINT>(ids_.size()), ids_.data()} {}
  std::vector<UINT> ids_;
  AsnObjectIdentifier oid;
};

TEST(SnmpApi, OidsAreCopiedAppendedAndFreed) {
  Oid base({1, 3, 6, 1, 4, 1, 15});
  Oid tail({1, 0});
  AsnObjectIdentifier copy{};
  ASSERT_EQ(SnmpUtilOidCpy(&copy, &base.oid), SNMPAPI_NOERROR);
  ASSERT_NE(copy.ids, base.oid.ids);
  ASSERT_EQ(SnmpUtilOidAppend(&copy, &tail.oid), SNMPAPI_NOERROR);
  EXPECT_STREQ(SnmpUtilOidToA(&copy), "1.3.6.1.4.1.15.1.0");
  EXPECT_STREQ(SnmpUtilOidToA(&base.oid), "1.3.6.1.4.1.15");
  SnmpUtilOidFree(&copy);
  EXPECT_EQ(copy.ids, nullptr);
  EXPECT_EQ(copy.idLength, 0u);

  AsnObjectIdentifier empty{};
  ASSERT_EQ(SnmpUtilOidCpy(&copy, &empty), SNMPAPI_NOERROR);
  ASSERT_EQ(SnmpUtilOidAppend(&copy, &tail.oid), SNMPAPI_NOERROR);
  EXPECT_STREQ(SnmpUtilOidToA(&copy), "1.0");
  SnmpUtilOidFree(&copy);
}

TEST(SnmpApi, ComparisonsOrderBySubIdentifiersThenLength) {
  Oid a({1, 3, 6});
  Oid b({1, 3, 7});
  Oid longer({1, 3, 6, 1});
  Oid big({1, 3, 0x80000000u});
  EXPECT_LT(SnmpUtilOidCmp(&a.oid, &b.oid), 0);
  EXPECT_GT(SnmpUtilOidCmp(&b.oid, &a.oid), 0);
  EXPECT_LT(SnmpUtilOidCmp(&a.oid, &longer.oid), 0);
  EXPECT_GT(SnmpUtilOidCmp(&longer.oid, &a.oid), 0);
  EXPECT_EQ(SnmpUtilOidCmp(&a.oid, &a.oid), 0);
  EXPECT_LT(SnmpUtilOidCmp(&b.oid, &big.oid), 0) << "sub-identifiers are unsigned";
  EXPECT_EQ(SnmpUtilOidNCmp(&a.oid, &longer.oid, 3), 0);
  EXPECT_LT(SnmpUtilOidNCmp(&a.oid, &longer.oid, 4), 0);
  EXPECT_EQ(SnmpUtilOidNCmp(&a.oid, &b.oid, 2), 0);
  EXPECT_LT(SnmpUtilOidNCmp(&a.oid, &b.oid, 3), 0);
}

TEST(SnmpApi, OidTextHasNoLimitAndMarksTheEmptyOid) {
  EXPECT_STREQ(SnmpUtilIdsToA(nullptr, 0), "<null oid>");
  AsnObjectIdentifier empty{};
  EXPECT_STREQ(SnmpUtilOidToA(&empty), "<null oid>");
  std::vector<UINT> ids(300, 4294967295u);
  std::string expected = "4294967295";
  for (size_t i = 1; i < ids.size(); ++i) expected += ".4294967295";
  EXPECT_EQ(SnmpUtilIdsToA(ids.data(), static_cast<UINT>(ids.size())), expected);

  // Each thread has its own text.
  UINT one[] = {1};
  const char* mine = SnmpUtilIdsToA(one, 1);
  std::thread([] {
    UINT two[] = {2, 2};
    SnmpUtilIdsToA(two, 2);
  }).join();
  EXPECT_STREQ(mine, "1");
}

TEST(SnmpApi, VarBindListsAreCopiedDeeplyAndFreedAsWindowsFreesThem) {
  static BYTE fixedText[] = {'f', 'i', 'x'};
  SnmpVarBind binds[3] = {};
  Oid name1({1, 3, 6, 1, 4, 1, 15, 1});
  Oid name2({1, 3, 6, 1, 4, 1, 15, 2});
  Oid name3({1, 3, 6, 1, 4, 1, 15, 3});
  binds[0].name = name1.oid;
  binds[0].value.asnType = ASN_INTEGER;
  binds[0].value.asnValue.number = -42;
  binds[1].name = name2.oid;
  binds[1].value.asnType = ASN_OCTETSTRING;
  binds[1].value.asnValue.string = AsnOctetString{fixedText, 3, FALSE};
  binds[2].name = name3.oid;
  binds[2].value.asnType = ASN_OBJECTIDENTIFIER;
  binds[2].value.asnValue.object = name1.oid;
  SnmpVarBindList source{binds, 3};

  SnmpVarBindList copy{};
  ASSERT_EQ(SnmpUtilVarBindListCpy(&copy, &source), SNMPAPI_NOERROR);
  ASSERT_EQ(copy.len, 3u);
  EXPECT_EQ(SnmpUtilOidCmp(&copy.list[0].name, &name1.oid), 0);
  EXPECT_NE(copy.list[0].name.ids, name1.oid.ids);
  EXPECT_EQ(copy.list[0].value.asnValue.number, -42);
  const AsnOctetString& text = copy.list[1].value.asnValue.string;
  EXPECT_NE(text.stream, fixedText);
  EXPECT_TRUE(text.dynamic);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text.stream), text.length), "fix");
  EXPECT_STREQ(SnmpUtilOidToA(&copy.list[2].value.asnValue.object), "1.3.6.1.4.1.15.1");
  SnmpUtilVarBindListFree(&copy);
  EXPECT_EQ(copy.list, nullptr);
  EXPECT_EQ(copy.len, 0u);

  // Freeing leaves a static stream alone (this would crash otherwise) and a dynamic
  // one released; the sanitizer build checks both.
  SnmpVarBind owned{};
  ASSERT_EQ(SnmpUtilVarBindCpy(&owned, &binds[1]), SNMPAPI_NOERROR);
  SnmpUtilVarBindFree(&owned);
  EXPECT_EQ(owned.value.asnType, ASN_NULL);
  SnmpVarBind borrowed{};
  ASSERT_EQ(SnmpUtilOidCpy(&borrowed.name, &name2.oid), SNMPAPI_NOERROR);
  borrowed.value = binds[1].value;
  SnmpUtilVarBindFree(&borrowed);
  EXPECT_EQ(fixedText[0], 'f');

  AsnAny unknown{};
  unknown.asnType = 0x99;
  AsnAny target{};
  EXPECT_EQ(SnmpUtilAsnAnyCpy(&target, &unknown), SNMPAPI_ERROR);
}

TEST(SnmpApi, AllocationsAreZeroFilledAlsoWhenTheyGrow) {
  auto* bytes = static_cast<unsigned char*>(SnmpUtilMemAlloc(16));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 16; ++i) ASSERT_EQ(bytes[i], 0);
  std::memset(bytes, 0xAB, 16);
  bytes = static_cast<unsigned char*>(SnmpUtilMemReAlloc(bytes, 4096));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[15], 0xAB);
  for (int i = 16; i < 4096; ++i) ASSERT_EQ(bytes[i], 0) << i;
  SnmpUtilMemFree(bytes);
  SnmpUtilMemFree(nullptr);
}

TEST(SnmpApi, UptimeCountsHundredthsSinceLoad) {
  const DWORD before = SnmpSvcGetUptime();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const DWORD after = SnmpSvcGetUptime();
  EXPECT_GE(after - before, 2u);
  EXPECT_LT(after - before, 1000u);
}

}  // namespace
