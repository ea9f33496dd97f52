// titlekit as a program: one run of the real binary per subcommand, exit status and output
// compared exactly; the picture and sound commands write what the authoring library makes of the
// same input. Then its help, and a table of the arguments and files it refuses.
#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "authoring/frame_encoder.h"
#include "authoring/sound_encoder.h"
#include "authoring/sprite_encoder.h"
#include "platform/png_image.h"
#include "shell/drawing/colour_table.h"
#include "support/common_math_reference.h"
#include "support/common_pictures.h"
#include "support/common_program_run.h"
#include "support/common_signals.h"

namespace lw::titlekit {
namespace {

using namespace lw::authoring;

const std::string kHello = std::string(EXAMPLES_DIR) + "/hello.lws";

class TitlekitTest : public test::ProgramTest {
 protected:
  TitlekitTest() : ProgramTest(TITLEKIT_PATH) {}
};

// A picture in colours that tell every index apart.
IndexedImage Indexed(const test::Picture& picture) {
  return {picture.width, picture.height, picture.pixels, test::DistinctColours()};
}

// The picture in the PNG file `path`.
IndexedImage Png(const std::string& path) {
  auto image = ReadPng(path);
  EXPECT_TRUE(image.ok()) << image.error();
  return image.ok() ? *image : IndexedImage{};
}

TEST_F(TitlekitTest, CompileWritesTheStoredBlockOrADump) {
  // A one-line call, as the runtime compiles for events, is no script of handlers: the check
  // would refuse it, so these compiles go without.
  const std::string source = write("key.lws", "keydown(\"é\")");
  // A compiled file is read back as such and written unchanged.
  expect({"compile", source, "-o", file("key.lwc"), "--no-check"}, 0, "");
  expect({"compile", file("key.lwc"), "-o", file("again.lwc"), "--no-check"}, 0, "");
  // Tokens name 40, ( 4018, string 32, ) 4019 and end, then the pool, in Mac Roman.
  const std::string expected(
      "\x05\0\x28\0\0\0\0\0\xB2\x0F\0\0\0\0\0\0\x03\0\x20\0\0\0\0\0\xB3\x0F\0\0\0\0\0\0"
      "\0\0\0\0\0\0\0\0\x07keydown\001\x8E",
      50);
  EXPECT_EQ(text("key.lwc"), expected);
  EXPECT_EQ(text("again.lwc"), expected);

  write("key.lws", "keydown(\"a\")\r\n\tx ≠ 12\n");
  const std::string dump = run({"compile", source, "--no-check"}).out;
  for (const char* line : {"0000  05 00 50 00 00 00 00 00  name \"keydown\"\n", "  line end 1\n",
                           "0030  49 1f 00 00 00 00 00 00  ≠\n", "0050  07 6b 65 79 64 6f 77"}) {
    EXPECT_NE(dump.find(line), std::string::npos) << line << " in\n" << dump;
  }
  // Faults are placed by line and character column, whatever the line ends: columns count
  // characters, not bytes ("é≠" are five bytes), and a byte order mark is no character.
  const std::pair<std::string_view, std::string_view> faults[] = {
      {"\xEF\xBB\xBF中", "1:1: character U+4E2D has no Mac Roman form"},
      {"ok\r\n  é≠→", "2:5: character U+2192 has no Mac Roman form"},
      {"a\rb\nc\r\nd😀", "4:2: character U+1F600 has no Mac Roman form"},
      {"ab\xFF", "1:3: invalid UTF-8 byte 0xFF"},
      // The literal's text starts at column 6 of line 2, whatever the line ends.
      {"a = 1\nb = \"x\n", "2:6: Tokenization error."},
      {"a = 1\r\nb = \"x\r\n", "2:6: Tokenization error."},
      {"a = 1\rb = \"x", "2:6: Tokenization error."},
  };
  for (const auto& [text, fault] : faults) {
    expect({"compile", write("fault.lws", text), "--no-check"}, 1, "",
           file("fault.lws") + ":" + std::string(fault) + "\n");
  }
}

TEST_F(TitlekitTest, EvalRunsLinesAsTheMessageBoxDoes) {
  // Globals persist from line to line; UTF-8 converts to and from Mac Roman, and a line without
  // a Mac Roman form is reported while the others still run.
  expect(
      {"eval", "global g", "g = 5", "g * 2", "not 1", "1 ≠ 2", "\"café — …\"", "\"中\"", "nosuch"},
      1, "OK\nOK\n10\nBad argument type.\nTrue\n\"café — …\"\nNo such variable.\n",
      "<argument 7>:1:2: character U+4E2D has no Mac Roman form\n");
  expect({"eval"}, 0, "OK\nOK\n42\n", "", "global n\r\n\r\n\nn = 40 + 2\nn\n");
  // random() follows the seed; the geometry built-ins are there.
  std::string numbers;
  for (std::uint32_t output : lw::testing::ReferenceRandom(1234, 3))
    numbers += std::to_string(lw::testing::ReferenceRandomNumber(output, 1000)) + "\n";
  expect({"eval", "--seed", "1234", "random(1000)", "random(1000)", "random(1000)",
          "calcdist(makepoint(0, 0), makepoint(3, 4))", "machinetype()"},
         0, numbers + "5\n\"WIN\"\n");
  // The handlers of a compiled system script, and without one, none; the runtime's built-ins
  // only come with a title.
  expect({"compile", kHello, "-o", file("hello.lwc")}, 0, "");
  expect(
      {"eval", "--script", file("hello.lwc"), "sendtobootfx(fib(10))", "sendtobootfx(greet(\"\"))"},
      0, "55\n\"Hello, stranger\"\n");
  expect({"eval", "sendtobootfx(fib(10))", "button()"}, 0, "No such handler.\nBad name.\n");
}

TEST_F(TitlekitTest, RunCallsAHandlerAndExitsOneWhenItFails) {
  const std::string div = write("div.lws",
                                "code outer()\n\treturn half(4) + 1\nendcode\n\ncode half(n)\n"
                                "\treturn n / 0\nendcode\ncode setup()\n\tglobal ready\n"
                                "\tready = true\nendcode\n");
  expect({"run", kHello, "fib(20)"}, 0, "6765\n");
  expect({"run", kHello, "main()"}, 0, "\"Hello, Loomwork — fib(20) = 6765\"\n");
  // Standard error names the failing statement's line and its handler.
  expect({"run", kHello, "fib(3)", "--command"}, 1, "Commands can't return a value.\n",
         kHello + ":10: in fib: Commands can't return a value.\n");
  expect({"run", div, "outer()"}, 1, "Divide by zero.\n", div + ":6: in half: Divide by zero.\n");
}

TEST_F(TitlekitTest, BootfileMakesATitleThatEvalBoots) {
  // The boot file holds an empty record 0 and the compiled script; boot() has run before the
  // lines, which have the runtime's built-ins.
  const std::string system =
      write("system.lws", "code boot()\n\tglobal booted\n\tbooted = 7\nendcode\n");
  const std::string title = folder("title");
  expect({"compile", system, "-o", file("system.lwc")}, 0, "");
  expect({"bootfile", system, "-o", title + "/bootfile"}, 0, "");
  expect({"star", "get", title + "/bootfile", "0"}, 0, "");
  expect({"star", "get", title + "/bootfile", "1"}, 0, text("system.lwc"));
  expect({"eval", "--title", title, "booted", "path(1)", "findfile(\"bootfile\")",
          "cursor(\"nosuch\")", "button()", "sendtobootfx(nosuch())"},
         0, "7\n\"appl:\"\nTrue\nResource not found.\nFalse\nNo such handler.\n");
}

TEST_F(TitlekitTest, StarBuildsAndInspectsAStarFile) {
  const std::string star = file("s.str"), script = file("hello.lwc");
  expect({"compile", kHello, "-o", script}, 0, "");
  const std::size_t scriptBytes = bytes("hello.lwc").size();
  expect({"star", "new", star, "--records", "100", "--type", "RTDO"}, 0, "");
  expect({"star", "add", star, script}, 0, "0\n");
  expect({"star", "add", star, write("small.bin", std::string(57, 'x'))}, 0, "1\n");
  const std::size_t second = 1536 + 64 * ((scriptBytes + 71) / 64);
  expect({"star", "ls", star}, 0,
         "0 1536 " + std::to_string(scriptBytes) + "\n1 " + std::to_string(second) + " 57\n");
  // A longer record moves to the end; its old block becomes a free run.
  expect({"star", "put", star, "1", write("long.bin", std::string(200, 'y'))}, 0, "");
  expect({"star", "get", star, "1", "-o", file("out.bin")}, 0, "");
  EXPECT_EQ(text("out.bin"), std::string(200, 'y'));
  const std::string at = std::to_string(second), end = std::to_string(second + 128 + 256);
  expect({"star", "info", star}, 0,
         "version: 0x00010000\nfile end: " + end +
             "\nfree bytes: 128\nfree blocks: 1\n"
             "index capacity: 128\nnext id: 2\nfree ids: 0\nfree id head: 0\ntype: RTDO\n"
             "creator: LWRT\nfree block 0: " +
             at + " 128\n");
  expect({"star", "check", star}, 0, "ok\n");
  // Stored scripts run through the compiled-script cache.
  expect({"run", star + "#0", "fib(20)"}, 0, "6765\n");
  expect({"run", star + "#1", "main()"}, 1, "", star + "#1: no end token\n");
}

TEST_F(TitlekitTest, FrameEncodesPicturesAndDecodesRecords) {
  const IndexedImage first = Indexed(test::Gradient(64, 16, 1));
  const IndexedImage second = Indexed(test::WithBlock(test::Gradient(64, 16, 1), 20, 4));
  ASSERT_EQ(WritePng(file("a.png"), first), std::nullopt);
  ASSERT_EQ(WritePng(file("b.png"), second), std::nullopt);
  const FramePixels previous{first.width, first.height, first.pixels};
  const auto key = EncodeFrame(previous, nullptr, EncodeGoal::kSmallest).value();
  const auto difference = EncodeFrame({64, 16, second.pixels}, &previous).value();
  const std::string keySize = std::to_string(key.size()), size = std::to_string(difference.size());
  expect({"frame", "encode", file("a.png"), "--smallest", "-o", file("a.frm")}, 0,
         "key frame: 64 x 16, " + keySize + " bytes\n");
  EXPECT_EQ(bytes("a.frm"), key);
  expect({"frame", "encode", file("b.png"), "--prev", file("a.png"), "-o", file("b.frm")}, 0,
         "difference frame: 64 x 16, " + size + " bytes\n");
  EXPECT_EQ(bytes("b.frm"), difference);
  // Onto the first picture the difference frame gives the second, in the first's colours.
  expect({"frame", "decode", file("b.frm"), "--onto", file("a.png"), "-o", file("b2.png")}, 0,
         "64 x 16 frame: " + size + " of " + size + " bytes used\n");
  const IndexedImage decoded = Png(file("b2.png"));
  EXPECT_EQ(decoded.pixels, second.pixels);
  EXPECT_EQ(decoded.palette, first.palette);
}

TEST_F(TitlekitTest, SpriteEncodesPicturesAndDrawsRecords) {
  test::Picture disc = test::Disc(41);
  ASSERT_EQ(WritePng(file("in.png"), Indexed(disc)), std::nullopt);
  expect({"sprite", "encode", file("in.png"), "--hotspot", "20,-3", "--transparent", "0", "-o",
          file("s")},
         0, "");
  EXPECT_EQ(bytes("s"), EncodeSprite({disc.width, disc.height, disc.pixels, {20, -3}, 0}).value());
  // Drawn onto the background index, in a grey ramp.
  expect({"sprite", "decode", file("s"), "--background", "9", "-o", file("out.png")}, 0, "");
  const IndexedImage drawn = Png(file("out.png"));
  std::replace(disc.pixels.begin(), disc.pixels.end(), std::uint8_t{0}, std::uint8_t{9});
  EXPECT_EQ(drawn.pixels, disc.pixels);
  EXPECT_EQ(drawn.palette[77], (Rgb{77, 77, 77}));
}

TEST_F(TitlekitTest, SoundEncodesWavFilesAndDecodesRecords) {
  const PcmSound source{22050, 1, kWavBits16, test::SampleSignal(22050, 1, 2205, [](double t, int) {
                          return 0.5 * test::Sine(440, t);
                        })};
  write("in.wav", FormatWav(source).value());
  const auto low = EncodeSound(source, 11025).value();
  // By default the record takes the source's rate.
  const test::ProgramOutcome byDefault = run({"sound", "encode", file("in.wav"), "-o", file("d")});
  EXPECT_EQ(byDefault.out.rfind(file("d") + ": 2205 samples at 22050 Hz (0.10 s)", 0), 0u);
  expect({"sound", "encode", file("in.wav"), "--rate", "11025", "-o", file("low.snd")}, 0,
         file("low.snd") + ": 1103 samples at 11025 Hz (0.10 s) in 3 blocks, " +
             std::to_string(low.size()) + " bytes\n");
  EXPECT_EQ(bytes("low.snd"), low);
  // The runtime's decoder's samples, as an 8-bit mono WAV file at the record's rate.
  expect({"sound", "decode", file("low.snd"), "-o", file("out.wav")}, 0, "");
  std::vector<std::int16_t> samples;
  const auto decoded = DecodeSoundRecord(low).value();
  for (std::uint8_t s : decoded) samples.push_back((s - 128) * 256);
  EXPECT_EQ(bytes("out.wav"), FormatWav({11025, 1, kWavBits8, samples}).value());
}

TEST_F(TitlekitTest, PaletteConvertsBetweenPicturesAndColourTables) {
  const Palette colours = test::DistinctColours();
  ASSERT_EQ(WritePng(file("a.png"), Indexed(test::Noise(2, 2, 1))), std::nullopt);
  expect({"palette", "from-png", file("a.png"), "-o", file("a.clut")}, 0, "");
  EXPECT_EQ(bytes("a.clut"), EncodeColourTable(colours));
  // The chart is a 16 x 16 grid of 8 x 8 squares, index 16 x row + column.
  expect({"palette", "to-png", "-o", file("chart.png"), file("a.clut")}, 0, "");
  const IndexedImage chart = Png(file("chart.png"));
  EXPECT_EQ(chart.palette, colours);
  std::string indices = std::to_string(chart.width) + " x " + std::to_string(chart.height) + ":";
  for (const auto& [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {9, 17}})
    indices += " " + std::to_string(chart.pixels[y * 128 + x]);
  EXPECT_EQ(indices, "128 x 128: 0 15 240 33");
}

const char* const kCommands[] = {"compile", "check",   "eval",     "run",   "bootfile",
                                 "build",   "info",    "star",     "frame", "sprite",
                                 "sound",   "palette", "reference"};

// The help starts with the general usage and gives each command's.
TEST_F(TitlekitTest, HelpListsEveryCommand) {
  const test::ProgramOutcome help = run({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: titlekit COMMAND [ARGS]\n", 0), 0u) << help.out;
  for (const char* command : kCommands) {
    EXPECT_NE(help.out.find("\n  titlekit " + std::string(command) + " "), std::string::npos)
        << command;
  }
  EXPECT_NE(help.out.find("\n  titlekit help [COMMAND]\n"), std::string::npos);
  expect({"help", "sound"}, 0,
         "usage: titlekit sound encode IN [--rate 11025|22050|44100] -o OUT | decode IN -o "
         "OUT.wav\n  encode a sound file (WAV, AIFF, FLAC, Ogg) as a sound record, or decode a "
         "record into an 8-bit WAV file\n");
  EXPECT_EQ(run({"sound", "--help"}).out, run({"help", "sound"}).out);
}

TEST_F(TitlekitTest, WrongArgumentsAndBadFilesAreRefused) {
  const std::string text = write("abc", "abc"), none = file("none"), star = file("s.str");
  const std::string wide = write("wide.lws", "code f()\n\treturn \"中\"\nendcode\n");
  const std::string cut = write("cut.lwc", std::string("\x05\0\x28\0\0", 5));
  const std::string big = file("big.png"), small = file("small.png");
  ASSERT_EQ(WritePng(big, {16, 8, std::vector<std::uint8_t>(16 * 8), {}}), std::nullopt);
  ASSERT_EQ(WritePng(small, {4, 4, std::vector<std::uint8_t>(4 * 4), {}}), std::nullopt);
  expect({"star", "new", star}, 0, "");
  const std::string seed = "titlekit eval: --seed needs one number from 0 to 4294967295";
  const std::string noRecord = "not a sound record (its header does not fit its size)";
  // The arguments, the exit status and the first line of standard error; with status 2 the
  // usage follows.
  // clang-format off
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{}, 2, ""},                         {{"help", "bogus"}, 2, ""},
      {{"bogus"}, 2, "titlekit: unknown command 'bogus'\n"},
      {{"compile"}, 2, "titlekit compile: missing SRC"},
      {{"compile", "a", "b"}, 2, "titlekit compile: unexpected argument 'b'"},
      {{"compile", "a", "-o"}, 2, "titlekit compile: -o needs one file name"},
      {{"eval", "--script"}, 2, "titlekit eval: --script needs one file name"},
      {{"eval", "--seed", "x"}, 2, seed}, {{"eval", "--seed", "4294967296"}, 2, seed},
      {{"eval", "--seed", "1", "--seed", "2", "1"}, 2, seed},
      {{"eval", "--title", none, "--script", kHello, "1"}, 2, "titlekit eval: --script and "
          "--title do not go together (a title's system script is its boot file's)"},
      {{"run", kHello}, 2, "titlekit run: missing CALL"},
      {{"run", kHello, "1 + 2"}, 2, "titlekit run: CALL must be a handler call such as main()"},
      {{"bootfile"}, 2, "titlekit bootfile: missing SYSTEM"},
      {{"build", none}, 2, "titlekit build: missing -o DIR"},
      {{"build", "-o", none}, 2, "titlekit build: missing MANIFEST"},
      {{"build", none, "-o", none}, 1, none + ": No such file or directory"},
      {{"info"}, 2, "titlekit info: expected one FILE"},
      {{"info", text}, 1, text + ": not a star file (error 101)"},
      {{"star", "get", star, "-1"}, 2, ""}, {{"star", "new", star, "--type", "TOOLONG"}, 2, ""},
      {{"frame", "play"}, 2, "titlekit frame: expected encode or decode"},
      {{"frame", "encode", none}, 2, "titlekit frame: missing -o OUT"},
      {{"sprite", "encode", none, "-o", none}, 2, "titlekit sprite: encode needs --hotspot V,H"},
      {{"sprite", "decode", text, "--background", "256", "-o", none}, 2,
          "titlekit sprite: --background needs an index 0 to 255"},
      {{"sound", "encode", none, "--rate", "8000", "-o", none}, 2, ""},
      {{"sound", "decode", none, "--rate", "11025", "-o", none}, 2, ""},
      {{"sound", "encode", none, none, "-o", none}, 2, ""}, {{"star", "info", none}, 1, "error 107"},
      {{"palette", "from-png", none}, 2,
          "titlekit palette: expected from-png or to-png, IN and -o OUT"},
      {{"compile", none}, 1, none + ": No such file or directory"},
      {{"compile", wide}, 1, wide + ":2:10: character U+4E2D has no Mac Roman form"},
      {{"compile", cut}, 1, cut + ": truncated token 0 (block of 5 bytes, no end token before it)"},
      {{"eval", "--title", none, "1"}, 1, "titlekit eval: " + none + ": no such folder"},
      {{"star", "get", star, "0"}, 1, "error 100"},  // no record handed out yet
      {{"frame", "encode", big, "--prev", small, "-o", none}, 1,
          small + ": the picture is 4 x 4, not 16 x 8"},
      {{"sprite", "decode", text, "-o", none}, 1,
          text + ": not a sprite (header cut short, or a size out of range)"},
      {{"palette", "to-png", text, "-o", none}, 1, text + ": a colour table is 2056 bytes, not 3"},
      {{"sound", "encode", text, "-o", none}, 1,
          text + ": not a sound file: Format not recognised."},
      {{"sound", "decode", text, "-o", none}, 1, text + ": " + noRecord}};
  // clang-format on
  for (const auto& [args, status, complaint] : cases) {
    const test::ProgramOutcome got = run(args);
    const std::string what = ::testing::PrintToString(args);
    EXPECT_EQ(got.status, status) << what;
    EXPECT_EQ(got.out, "") << what;
    if (status == 2) {
      // The command's usage, or the general one for no command or an unknown one.
      const bool known = !args.empty() && std::find(std::begin(kCommands), std::end(kCommands),
                                                    args[0]) != std::end(kCommands);
      const std::string usage = known ? "titlekit " + args[0] + " " : "titlekit COMMAND [ARGS]\n";
      const std::string prefix = complaint.empty() ? "" : complaint + "\n";
      EXPECT_EQ(got.err.rfind(prefix + "usage: " + usage, 0), 0u) << got.err;
    } else {
      EXPECT_EQ(got.err, complaint + "\n") << what;
    }
  }
}

}  // namespace
}  // namespace lw::titlekit
