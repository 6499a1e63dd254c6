#include "host/answer_policy.h"

#include <gtest/gtest.h>

namespace exthost {
namespace {

const Oid kRegion = {1, 3, 6, 1, 4, 1, 15};

Oid Row(uint32_t row) { return {1, 3, 6, 1, 4, 1, 15, row, 0}; }

Binding Answer(Oid name, int64_t number) {
  return {std::move(name), {Syntax::Integer, number, {}, {}}};
}
Binding Unanswered(Oid name) { return {std::move(name), {}}; }

using Kind = Outcome::Kind;

std::vector<Kind> Kinds(const std::vector<Outcome>& outcomes) {
  std::vector<Kind> kinds;
  for (const Outcome& outcome : outcomes) kinds.push_back(outcome.kind);
  return kinds;
}

TEST(GetNextStart, RequestBeforeTheRegionStartsAtTheRegionOthersStay) {
  EXPECT_EQ(GetNextStart({1, 3, 6, 1, 4, 1}, kRegion), kRegion);
  EXPECT_EQ(GetNextStart({1, 3, 6, 1, 2}, kRegion), kRegion);
  EXPECT_EQ(GetNextStart(Row(2), kRegion), Row(2));
  EXPECT_EQ(GetNextStart(kRegion, kRegion), kRegion);
}

TEST(ResolveAnswers, GetErrorGoesToTheBindingTheAgentNamedAndOnlyThere) {
  const std::vector<Oid> asked = {Row(1), Row(2), Row(3)};
  const std::vector<Binding> answered = {Answer(Row(1), 1), Unanswered(Row(2)), Answer(Row(3), 3)};
  const auto outcomes = ResolveAnswers(Phase::Get, kRegion, asked, {3, 2}, answered);
  EXPECT_EQ(Kinds(outcomes), (std::vector<Kind>{Kind::Answer, Kind::Error, Kind::Answer}));
  EXPECT_EQ(outcomes[1].status, 3);
}

TEST(ResolveAnswers, GetNoSuchNameAndUnansweredBindingsBecomeNoSuchObject) {
  const std::vector<Oid> asked = {Row(1), Row(2), Row(3)};
  const std::vector<Binding> answered = {Answer(Row(1), 1), Unanswered(Row(2)), Unanswered(Row(3))};
  const auto outcomes = ResolveAnswers(Phase::Get, kRegion, asked, {2, 2}, answered);
  EXPECT_EQ(Kinds(outcomes),
            (std::vector<Kind>{Kind::Answer, Kind::NoSuchObject, Kind::NoSuchObject}));
}

TEST(ResolveAnswers, GetKeepsTheAskedNameWhateverTheAgentWroteThere) {
  const auto outcomes = ResolveAnswers(Phase::Get, kRegion, {Row(1)}, {}, {Answer(Row(5), 5)});
  EXPECT_EQ(outcomes[0].answer.name, Row(1));
  EXPECT_EQ(outcomes[0].answer.value.number, 5);
}

TEST(ResolveAnswers, GetNextNoSuchNameIsTheEndOfTheRegionNotAnError) {
  const auto outcomes = ResolveAnswers(Phase::GetNext, kRegion, {Row(1), Row(3)}, {2, 2},
                                       {Answer(Row(2), 2), Unanswered(Row(3))});
  EXPECT_EQ(Kinds(outcomes), (std::vector<Kind>{Kind::Answer, Kind::EndOfRegion}));
  EXPECT_FALSE(outcomes[1].misordered);
}

TEST(ResolveAnswers, GetNextAnswerOutsideTheRegionOrNotAfterTheRequestIsTheEnd) {
  const Oid outside = {1, 3, 6, 1, 4, 1, 16, 1};
  const std::vector<Oid> asked = {Row(2), Row(2), Row(2), Row(2)};
  const std::vector<Binding> answered = {Answer(outside, 1), Answer(Row(1), 1), Answer(Row(2), 1),
                                         Answer(Row(3), 1)};
  const auto outcomes = ResolveAnswers(Phase::GetNext, kRegion, asked, {}, answered);
  EXPECT_EQ(Kinds(outcomes), (std::vector<Kind>{Kind::EndOfRegion, Kind::EndOfRegion,
                                                Kind::EndOfRegion, Kind::Answer}));
  EXPECT_TRUE(outcomes[0].misordered);
  EXPECT_TRUE(outcomes[1].misordered);
  EXPECT_TRUE(outcomes[2].misordered);
  EXPECT_FALSE(outcomes[3].misordered);
}

TEST(ResolveAnswers, ErrorIndexOutsideTheListFallsOnTheFirstBinding) {
  for (int32_t index : {0, 3, -1}) {
    const auto outcomes = ResolveAnswers(Phase::SetTest, kRegion, {Row(1), Row(2)}, {5, index},
                                         {Unanswered(Row(1)), Unanswered(Row(2))});
    EXPECT_EQ(Kinds(outcomes), (std::vector<Kind>{Kind::Error, Kind::Answer})) << index;
  }
}

TEST(ResolveAnswers, SetNoSuchNameIsARefusalNotAMissingObject) {
  const auto outcomes =
      ResolveAnswers(Phase::SetTest, kRegion, {Row(1)}, {2, 1}, {Unanswered(Row(1))});
  EXPECT_EQ(outcomes[0].kind, Kind::Error);
  EXPECT_EQ(outcomes[0].status, 2);
}

TEST(ResolveAnswers, BindingsTheAgentDroppedFromTheListAreUnanswered) {
  const auto outcomes =
      ResolveAnswers(Phase::GetNext, kRegion, {Row(1), Row(2)}, {}, {Answer(Row(2), 2)});
  EXPECT_EQ(Kinds(outcomes), (std::vector<Kind>{Kind::Answer, Kind::EndOfRegion}));
}

}  // namespace
}  // namespace exthost
