#include "support/runtime_line_table.h"

#include <cstring>

#include "resources/program_resources.h"
#include "runtime/error_lines.h"
#include "script/console.h"

namespace lw::testing {
namespace {

constexpr int kPassesToPresent = 2;
constexpr int kMaxSettlePasses = 100000;

std::string_view AnswerName(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::kOk: return "ok";
    case BoxAnswer::kCancel: return "cancel";
    case BoxAnswer::kYes: return "yes";
    case BoxAnswer::kNo: return "no";
    case BoxAnswer::kAbort: return "abort";
    case BoxAnswer::kRetry: return "retry";
    case BoxAnswer::kIgnore: return "ignore";
  }
  return "?";
}

bool SameCursor(const platform::CursorImage* a, const platform::CursorImage* b) {
  return a != nullptr && b != nullptr && a->pixels == b->pixels && a->hotSpot.h == b->hotSpot.h &&
         a->hotSpot.v == b->hotSpot.v;
}

}  // namespace

std::string TitleLines::Eval(std::string_view line) {
  Interpreter& in = *runtime_.interpreter();
  in.beginPass();
  return RunConsoleLine(in, line);
}

void TitleLines::Expect(std::initializer_list<LineRow> rows, const LineProbe& probe) {
  std::string expected, actual;
  for (const LineRow& row : rows) {
    std::string outcome = Eval(row.line);
    if (probe) outcome += " | " + probe();
    expected += std::string(row.line) + " -> " + std::string(row.expected) + "\n";
    actual += std::string(row.line) + " -> " + outcome + "\n";
  }
  EXPECT_EQ(actual, expected);
}

void TitleLines::RunUntilTick(std::uint64_t tick) {
  while (platform_.ticks() < tick) runtime_.loop().Pass();
}

void TitleLines::ExpectAtTicks(std::initializer_list<std::string_view> lines,
                               std::initializer_list<TickSample> samples) {
  std::string expected, actual;
  for (const TickSample& sample : samples) {
    RunUntilTick(sample.tick);
    std::string outcomes;
    for (const std::string_view line : lines)
      outcomes += (outcomes.empty() ? "" : " ") + Eval(line);
    expected += std::to_string(sample.tick) + ": " + std::string(sample.outcomes) + "\n";
    actual += std::to_string(sample.tick) + ": " + outcomes + "\n";
  }
  EXPECT_EQ(actual, expected);
}

void TitleLines::Settle() {
  for (int pass = 0; pass < kMaxSettlePasses; ++pass) {
    if (platform_.scriptFinished() && runtime_.windows().queue().count() == 0) break;
    runtime_.loop().Pass();
  }
  for (int pass = 0; pass < kPassesToPresent; ++pass) runtime_.loop().Pass();
}

void TitleLines::FillScreen(std::uint8_t index) {
  Screen& screen = runtime_.screen();
  Surface& canvas = screen.canvas();
  for (int y = 0; y < canvas.height(); ++y)
    std::memset(canvas.row(y), index, static_cast<std::size_t>(canvas.width()));
  screen.markDirty(screen.rect());
}

std::string TitleLines::ErrorBoxText(std::int16_t line) {
  return WrapForBox(
      runtime_.errors().ComposeMessage(kRuntimeProgramCode, line, runtime_.lastError().get()));
}

std::string BoxTrace(const std::vector<BoxRequest>& boxes) {
  std::string trace;
  for (const BoxRequest& box : boxes) {
    trace += box.caption + ": " + box.text + " [";
    std::string_view separator;
    for (const BoxAnswer button : ButtonsOf(box.buttons)) {
      trace += std::string(separator) + std::string(AnswerName(button));
      separator = " ";
    }
    trace += "]\n";
  }
  return trace;
}

std::string CursorTrace(const platform::HeadlessPlatform& platform,
                        std::initializer_list<std::string_view> names) {
  std::string trace = "other";
  for (const std::string_view name : names) {
    if (SameCursor(platform.cursor(), FindCursorResource(name))) {
      trace = name;
      break;
    }
  }
  return platform.cursorVisible() ? trace : trace + " hidden";
}

}  // namespace lw::testing
