// The parts of the object model that every kind shares: event message texts and names.
#include <gtest/gtest.h>

#include <string>

#include "objects/event_message.h"
#include "objects/object_names.h"

namespace lw {
namespace {

// Each event form: a quoted name, a floor's number, the call alone of a single kind.
TEST(ObjectModelTest, EventMessagesAreTheSendtoArguments) {
  struct Row {
    ObjectKind kind;
    ObjectEvent event;
    std::string_view name;
    std::string_view text;
  };
  const Row rows[] = {
      {ObjectKind::kFlat, ObjectEvent::kOpen, "Hall", "\"Hall\", openflat()"},
      {ObjectKind::kActor, ObjectEvent::kClose, "Dog", "\"Dog\", closeactor()"},
      {ObjectKind::kPuppet, ObjectEvent::kOpen, "Ann", "\"Ann\", openpuppet()"},
      {ObjectKind::kFloor, ObjectEvent::kOpen, "3", "3, openfloor()"},
      {ObjectKind::kStage, ObjectEvent::kClose, "ignored", "closestage()"},
      {ObjectKind::kSet, ObjectEvent::kOpen, "", "openset()"},
      {ObjectKind::kButton, ObjectEvent::kOpen, "door", ""},
  };
  std::string expected, actual;
  for (const Row& row : rows) {
    expected += std::string(row.text) + "\n";
    actual += ComposeEventText(row.kind, row.event, row.name) + "\n";
  }
  EXPECT_EQ(actual, expected);
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
