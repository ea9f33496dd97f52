#include "script/string_library.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "script/script_host.h"

namespace lw {
namespace {

// Records internal failures instead of printing them.
class RecordingHost : public ScriptHost {
 public:
  void reportFatal(std::int16_t programCode, std::int16_t errorLine) override {
    fatals.emplace_back(programCode, errorLine);
  }
  std::vector<std::pair<std::int16_t, std::int16_t>> fatals;
};

class StringLibraryTest : public ::testing::Test {
 protected:
  RecordingHost host;
  StringLibrary strings{host};
};

TEST_F(StringLibraryTest, MakeTakesLowestFreeSlotAndTakeGivesItBack) {
  Value a;
  Value b;
  ASSERT_EQ(strings.make(std::string(255, 'a'), a), ScriptError::None);
  ASSERT_EQ(strings.make("beta", b), ScriptError::None);
  EXPECT_EQ(a.type, kTypeText);
  EXPECT_EQ(a.payload, 0);
  EXPECT_EQ(b.payload, 1);
  EXPECT_EQ(a.aux, 0);
  EXPECT_EQ(strings.slotsInUse(), 2);

  PString out;
  ASSERT_EQ(strings.take(a, out), ScriptError::None);
  EXPECT_EQ(out.str(), std::string(255, 'a'));
  EXPECT_EQ(strings.slotsInUse(), 1);

  // The freed slot 0 is the lowest free one again.
  Value c;
  ASSERT_EQ(strings.make("gamma", c), ScriptError::None);
  EXPECT_EQ(c.payload, 0);
  ASSERT_EQ(strings.take(b, out), ScriptError::None);
  EXPECT_EQ(out.view(), "beta");
  EXPECT_TRUE(host.fatals.empty());
}

TEST_F(StringLibraryTest, TwentyFirstTextExhaustsLibraryUntilReset) {
  for (int i = 0; i < StringLibrary::kSlotCount; ++i) {
    Value v;
    ASSERT_EQ(strings.make(std::to_string(i), v), ScriptError::None);
    EXPECT_EQ(v.payload, i);
  }
  Value untouched = Value::Number(7);
  EXPECT_EQ(strings.make("one too many", untouched), ScriptError::StringLibraryExhausted);
  EXPECT_EQ(untouched.type, kTypeNumber);
  EXPECT_EQ(untouched.payload, 7);
  EXPECT_EQ(strings.slotsInUse(), StringLibrary::kSlotCount);

  // The failed make changed no slot: slot 5 still reads its own text.
  PString out;
  ASSERT_EQ(strings.take(Value::Text(5), out), ScriptError::None);
  EXPECT_EQ(out.view(), "5");

  strings.reset();
  EXPECT_EQ(strings.slotsInUse(), 0);
  for (int i = 0; i < StringLibrary::kSlotCount; ++i) {
    Value v;
    ASSERT_EQ(strings.make("again", v), ScriptError::None);
  }
}

TEST_F(StringLibraryTest, TakeRejectsNonTextWithoutFreeingAnything) {
  Value v;
  ASSERT_EQ(strings.make("kept", v), ScriptError::None);
  PString out;
  EXPECT_EQ(strings.take(Value::Number(0), out), ScriptError::BadArgumentType);
  EXPECT_EQ(strings.take(Value::Logic(true), out), ScriptError::BadArgumentType);
  EXPECT_EQ(strings.slotsInUse(), 1);
  EXPECT_TRUE(host.fatals.empty());
}

TEST_F(StringLibraryTest, BadTicketsAreReportedAndReadEmpty) {
  Value v;
  ASSERT_EQ(strings.make("stale", v), ScriptError::None);
  PString out;
  ASSERT_EQ(strings.take(v, out), ScriptError::None);

  out.assign("leftover");
  EXPECT_EQ(strings.take(v, out), ScriptError::None);  // read twice: slot already free
  EXPECT_TRUE(out.empty());
  out.assign("leftover");
  EXPECT_EQ(strings.take(Value::Text(StringLibrary::kSlotCount), out), ScriptError::None);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(strings.take(Value::Text(-1), out), ScriptError::None);

  using Fatal = std::pair<std::int16_t, std::int16_t>;
  const std::vector<Fatal> expected = {{kProgramCodeLogic, errline::kTakeTextFreeSlot},
                                       {kProgramCodeLogic, errline::kTakeTextBadSlot},
                                       {kProgramCodeLogic, errline::kTakeTextBadSlot}};
  EXPECT_EQ(host.fatals, expected);
}

}  // namespace
}  // namespace lw
