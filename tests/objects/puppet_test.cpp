// The puppet run by a headless title: its built-ins typed as the message box runs them, what it
// presents while it speaks (screen rectangles: the stage lies at 48, 64 on the 640 x 480 screen,
// so the picture is 48,64,312,576, the band 312,64,432,576 and the mouth 148,264,158,284), and
// the conversation wait answering clicks, keys and timeouts.
#include <gtest/gtest.h>

#include <sstream>

#include "objects/object_error_lines.h"
#include "puppet_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kNotOpen = "A puppet is already open.";
constexpr std::string_view kBadType = "Bad argument type.";
constexpr std::string_view kNoObject = "No such object.";
constexpr std::string_view kOpen = "openpuppetfile(\"TALK.PUP\")";
constexpr std::string_view kPicture = "48,64,312,576";
constexpr std::string_view kBand = "312,64,432,576";
constexpr std::string_view kMouth = "148,264,158,284";

// The rectangles of a present trace without their ticks.
std::string Rects(const std::string& trace) {
  std::istringstream in(trace);
  std::string item, out;
  while (in >> item) out += (out.empty() ? "" : " ") + item.substr(item.find(':') + 1);
  return out;
}

// The ticks between the presents of `rect` in a trace, each after the one before.
std::string Gaps(const std::string& trace, std::string_view rect) {
  std::istringstream in(trace);
  std::string item, out;
  long last = -1;
  while (in >> item) {
    if (item.substr(item.find(':') + 1) != rect) continue;
    const long tick = std::stol(item.substr(0, item.find(':')));
    if (last >= 0) out += (out.empty() ? "" : " ") + std::to_string(tick - last);
    last = tick;
  }
  return out;
}

TEST_F(PuppetTitleTest, BuiltInsAnswerWithAndWithoutAPuppetFile) {
  TitleRun& run = StartPuppet("");
  for (std::string_view line :
       {"closepuppetfile()", "puppetbevel(\"a\", 1)", "puppetclear()", "countbevels()",
        "puppetscramble()", "puppetspeak(\"hello\")", "puppetevent(0)", "puppetvisible(true)",
        "countpuppets()", "indextopuppet(1)", "puppetscript(\"owl\")",
        "sendtopuppet(\"owl\", greet())"})
    run.Expect({{line, kNotOpen}});
  run.Expect({{"puppetvisible()", "False"},
              {"currentpuppet()", "\"None\""},
              {"puppetparam(3)", "250"},
              {"1 + puppetparam(9)", kBadType},
              {"puppetparam(5, 16)", "OK"},
              {"puppetparam(5)", "16"},
              {"puppetbase(\"hush\")", "OK"},
              {"puppetbase()", "\"hush\""},
              {"puppetbase(\"0123456789012345678901234567890123\")", "String length too big."},
              {"puppetgrab(1)", kBadType}});
  run.Expect({{kOpen, "OK | \"open \""},
              {kOpen, std::string(kNotOpen) + " | \"\""},
              {"closepuppetfile()", "OK | \"close \""},
              {kOpen, "OK | \"open \""}},
             Log());
  run.Expect({{"currentpuppet()", "\"Owl\""},
              {"puppetvisible()", "True"},
              {"countpuppets()", "1"},
              {"savegame(\"Owl game\")", kNotOpen},  // a puppet is never saved
              {"indextopuppet(1)", "\"owl\""},
              {"indextopuppet(2)", kNoObject},
              {"puppetscript(\"OWL\")", "OK"},
              {"puppetscript(\"hawk\")", kNoObject},
              {"sendtopuppetfx(\"owl\", greet())", "\"hoot\""},
              {"\"\" @ hittest(makepoint(10, 300)) @ \"/\" @ result()", "\"owl/puppet\""},
              {"puppetbevel(\"one\", 10)", "OK"},
              {"puppetscramble()", "OK"},
              {"puppetbevel(\"two\", 20)", "OK"},
              {"puppetbevel(\"three\", 30)", "OK"},
              {"puppetbevel(\"four\", 40)", "OK"},
              {"puppetbevel(\"five\", 50)", "OK"},
              {"puppetbevel(\"six\", 60)", "Puppet bevel full."},
              {"countbevels()", "5"},
              {"puppetclear()", "OK"},
              {"countbevels()", "0"},
              {"puppetvisible(false)", "OK"},
              {"puppetspeak(\"hello\")", kNotOpen},
              {"\"\" @ hittest(makepoint(10, 300)) @ \"/\" @ result()", "\"/none\""}});
}

TEST_F(PuppetTitleTest, SpokenLinesStepTheirLipSyncFramesWithTheVoice) {
  TitleRun& run = StartPuppet("", {}, 1);
  TakePresents();
  run.Eval(kOpen);
  EXPECT_EQ(Rects(TakePresents()), std::string(kBand) + " " + std::string(kPicture)) << "opening";
  run.Eval("puppetspeak(\"hello\")");
  // Frame 0 shows the whole picture; frame 2 changes nothing; frames 1, 3, 4 and 5 the mouth,
  // two ticks a frame.
  const std::string hello = TakePresents();
  const std::string mouth(kMouth);
  EXPECT_EQ(Rects(hello),
            std::string(kPicture) + " " + mouth + " " + mouth + " " + mouth + " " + mouth);
  EXPECT_EQ(Gaps(hello, kMouth), "4 2 2");
  // With subtitles on, the strip below 224 shows first and the frames keep above it; a subtitle
  // that begins with '*' shows none, and a text that names no line is only a subtitle.
  run.Eval("puppetparam(7, 1)");
  run.Eval("puppetspeak(\"Hello there.\")");
  EXPECT_EQ(Rects(TakePresents()).substr(0, 28), "272,64,312,576 48,64,272,576");
  run.Eval("puppetspeak(\"hush\")");
  EXPECT_EQ(Rects(TakePresents()).substr(0, 13), kPicture);
  run.Eval("puppetspeak(\"Nobody says this.\")");
  EXPECT_EQ(Rects(TakePresents()), "272,64,312,576");
}

// Each row: what the player does while `line` waits, and the number it gives.
TEST_F(PuppetTitleTest, TheConversationWaitGivesTheChoice) {
  struct Row {
    std::string_view input;
    std::string_view line;
    std::string_view expected;
  } const rows[] = {
      // Bevel 2 lies in screen rows 336..359; a click there chooses it.
      {"wait 30\nclick 300 345", "puppetevent(-1)", "\"20\""},
      // A click below the last bevel, or on the picture with nothing said, is ignored.
      {"wait 30\nclick 300 400\nwait 10\nkey q", "puppetevent(-1)", "\"-1\""},
      {"wait 30\nclick 300 100\nwait 10\nkey .", "puppetevent(-1)", "\"-1\""},
      {"", "puppetevent(0)", "\"-2\""},
      {"wait 30\nkey Q", "puppetevent(100)", "\"-1\""},
  };
  for (const Row& row : rows) {
    std::string input =
        "wait 5\nconsole puppetbevel(\"Well?\", 10)\n"
        "console puppetbevel(\"Goodbye.\", 20)\nconsole puppetparam(8, 1)\n"
        "console log = numtostring(" +
        std::string(row.line) + ")\n";
    // A wait that missed its answer ends with the quit key rather than never.
    input += std::string(row.input) + "\nwait 60\nkey q";
    TitleRun& run = StartPuppet(std::string("console ") + std::string(kOpen) + "\n" + input);
    EXPECT_EQ(run.Eval("log"), row.expected) << row.input;
    run_.reset();
  }
}

// The first idle line starts 30 to 40 ticks after the wait draws its band; each next one that
// long after the last ended (the 4 ticks of the line, heard up to 17 ticks late).
TEST_F(PuppetTitleTest, IdleLinesComeRoundWithinTheirIntervals) {
  StartPuppet(
      std::string("console ") + std::string(kOpen) + "\nwait 5\nconsole puppetevent(200)\nwait 300",
      {}, 6);
  std::istringstream in(TakePresents());
  std::vector<long> band, picture;
  for (std::string item; in >> item;) {
    const long tick = std::stol(item.substr(0, item.find(':')));
    const std::string rect = item.substr(item.find(':') + 1);
    if (rect == kBand) band.push_back(tick);
    if (rect == kPicture) picture.push_back(tick);
  }
  ASSERT_EQ(band.size(), 1u);
  ASSERT_GE(picture.size(), 3u);
  EXPECT_GE(picture[0] - band[0], 30);
  EXPECT_LE(picture[0] - band[0], 41);
  for (std::size_t i = 1; i < picture.size(); ++i) {
    EXPECT_GE(picture[i] - picture[i - 1], 34) << i;
    EXPECT_LE(picture[i] - picture[i - 1], 62) << i;
  }
}

// A damaged file is reported at the line that names the fault and stays closed; lip-sync frames
// are read when their line is spoken.
TEST_F(PuppetTitleTest, DamagedPuppetFilesAreReported) {
  struct Row {
    std::function<void(PuppetRecords&)> damage;
    bool opens;
    int errorLine;
  } const rows[] = {
      {[](PuppetRecords& p) {
         p.records[0] = WritePuppetHeader(p.header);
         p.records[0].resize(p.records[0].size() - 1);
       },
       false, errline::kPuppetRecordCorrupt},
      {[](PuppetRecords& p) {
         p.records[3] = WritePuppetLayers(p.layers);
         p.records[3][2 * kPuppetLayerBytes + 22] = 33;
       },
       false, errline::kPuppetLayersCorrupt},
      {[](PuppetRecords& p) { p.header.picture.bottom = 200; }, false, errline::kPuppetPictureSize},
      {[](PuppetRecords& p) {
         p.records[p.layers[1][0]] = {1, 2, 3};
       },
       false, errline::kPuppetImageCorrupt},
      {[](PuppetRecords& p) { p.header.lines[1].frameCount = 7; }, true,
       errline::kPuppetFramesCorrupt},
  };
  for (const Row& row : rows) {
    TitleRun& run = StartPuppet("", row.damage);
    run.Eval(kOpen);
    EXPECT_EQ(run.Eval("currentpuppet()"), row.opens ? "\"Owl\"" : "\"None\"") << row.errorLine;
    if (row.opens) run.Eval("puppetspeak(\"hush\")");
    EXPECT_EQ(run.Boxes(), UndefinedErrorLine(row.errorLine));
    run_.reset();
  }
}

}  // namespace
}  // namespace lw::testing
