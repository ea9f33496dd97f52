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

TEST(StringLibrary, SlotsGoLowestFirstUntilExhaustedAndResetFreesAll) {
  RecordingHost host;
  StringLibrary strings{host};
  Value v;
  for (int i = 0; i < StringLibrary::kSlotCount; ++i) {
    ASSERT_EQ(strings.make(std::string(255, static_cast<char>('a' + i)), v), ScriptError::None);
    EXPECT_EQ(v.payload, i);
  }
  Value untouched = Value::Number(7);
  EXPECT_EQ(strings.make("one too many", untouched), ScriptError::StringLibraryExhausted);
  EXPECT_EQ(untouched.payload, 7);

  PString out;
  ASSERT_EQ(strings.take(Value::Text(5), out), ScriptError::None);
  EXPECT_EQ(out.str(), std::string(255, 'f'));
  EXPECT_EQ(strings.slotsInUse(), StringLibrary::kSlotCount - 1);
  ASSERT_EQ(strings.make("again", v), ScriptError::None);
  EXPECT_EQ(v.payload, 5);  // the slot just given back

  strings.reset();
  EXPECT_EQ(strings.slotsInUse(), 0);
}

TEST(StringLibrary, BadTicketsAreRefusedOrReportedAndReadEmpty) {
  RecordingHost host;
  StringLibrary strings{host};
  Value v;
  ASSERT_EQ(strings.make("stale", v), ScriptError::None);
  PString out;
  EXPECT_EQ(strings.take(Value::Number(0), out), ScriptError::BadArgumentType);
  EXPECT_EQ(strings.slotsInUse(), 1);
  EXPECT_TRUE(host.fatals.empty());

  ASSERT_EQ(strings.take(v, out), ScriptError::None);
  for (const Value bad : {v, Value::Text(StringLibrary::kSlotCount), Value::Text(-1)}) {
    out.assign("leftover");
    EXPECT_EQ(strings.take(bad, out), ScriptError::None);
    EXPECT_TRUE(out.empty());
  }
  const std::vector<std::pair<std::int16_t, std::int16_t>> expected = {
      {kProgramCodeLogic, errline::kTakeTextFreeSlot},
      {kProgramCodeLogic, errline::kTakeTextBadSlot},
      {kProgramCodeLogic, errline::kTakeTextBadSlot}};
  EXPECT_EQ(host.fatals, expected);
}

}  // namespace
}  // namespace lw
