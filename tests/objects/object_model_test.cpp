// The parts of the object model that every kind shares: event message texts and names.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "objects/event_message.h"
#include "objects/object_names.h"

namespace lw {
namespace {

// Each event form: a quoted name, a floor's number, the call alone of a single kind.
TEST(ObjectModelTest, EventMessagesAreTheSendtoArguments) {
  using K = ObjectKind;
  using E = ObjectEvent;
  const std::tuple<K, E, std::string_view> rows[] = {
      {K::kFlat, E::kOpen, "Hall"},      {K::kActor, E::kClose, "Dog"},
      {K::kPuppet, E::kOpen, "Ann"},     {K::kFloor, E::kOpen, "3"},
      {K::kStage, E::kClose, "ignored"}, {K::kSet, E::kOpen, ""},
      {K::kButton, E::kOpen, "door"}};
  std::string texts;
  for (const auto& [kind, event, name] : rows) texts += ComposeEventText(kind, event, name) + "\n";
  EXPECT_EQ(texts,
            "\"Hall\", openflat()\n\"Dog\", closeactor()\n\"Ann\", openpuppet()\n3, openfloor()\n"
            "closestage()\nopenset()\n\n");
}

// Only A-Z fold; a stored name holds at most 15 characters.
TEST(ObjectModelTest, NamesFoldAsciiLettersAndHoldFifteen) {
  EXPECT_TRUE(SameObjectName("Hall", "hALL"));
  EXPECT_FALSE(SameObjectName("caf\x8E", "caf\x83"));  // é and É in Mac Roman
  EXPECT_FALSE(SameObjectName("Hall", "Hall "));
  Name15 name = Name15::truncated("old");
  EXPECT_EQ(StoreObjectName("fifteen chars!!", name), ScriptError::None);
  EXPECT_EQ(name.view(), "fifteen chars!!");
  EXPECT_EQ(StoreObjectName("sixteen chars!!!", name), ScriptError::StringLengthTooBig);
  EXPECT_EQ(name.view(), "fifteen chars!!");
}

}  // namespace
}  // namespace lw
