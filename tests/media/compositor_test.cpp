// The screen composition over a fake window and a clock the test moves: frames composed from a
// black backdrop and a stage layer of colour 1 onto a white canvas, the rectangles each frame
// copies to the canvas (heard through the copied hook) as trace strings "TICK: RECTS", pixels
// as pictures around the stage's corners, and faults as the boxes they show.
#include "media/compositor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "media/buffer_copy.h"
#include "support/shell_fake_platform.h"
#include "support/shell_printers.h"
#include "support/storage_scratch.h"

namespace lw {
namespace {

using test::Picture;

void Fill(Surface& surface, std::uint8_t colour) {
  std::memset(surface.data(), colour,
              static_cast<std::size_t>(surface.rowBytes()) * surface.height());
}

// File access whose positioned writes fail while `refuseWrites` is set, as a full disc's do.
class RefusingFiles : public FileAccess {
 public:
  using FileAccess::FileAccess;
  ProgramCode FileWriteAt(FileHandle file, std::uint32_t offset,
                          std::span<const std::uint8_t> bytes) override {
    return refuseWrites ? ProgramCode::kFile : FileAccess::FileWriteAt(file, offset, bytes);
  }
  bool refuseWrites = false;
};

class CompositorTest : public ::testing::Test {
 protected:
  CompositorTest() {
    Fill(window_.canvas(), Port::kWhite);
    Fill(compositor_.stageLayer(), 1);
    // Every frame hears the rectangles and entries the test gives it.
    compositor_.addContributor([this](Compositor& c) {
      for (const Rect& r : added_) c.AddDirtyRect(r);
      for (const DisplayEntry& e : entries_) c.AddDisplayEntry(e);
    });
    compositor_.setCopiedHook([this](std::span<const Rect> copied) {
      trace_ += (trace_.empty() ? "" : " | ") + std::to_string(tick_) + ": " +
                test::Print(std::vector<Rect>(copied.begin(), copied.end()));
    });
  }

  // Composes one frame whose contributor adds `dirty`; the frames copied so far.
  std::string Compose(const std::vector<Rect>& dirty = {}) {
    added_ = dirty;
    compositor_.ComposeFrame();
    return trace_;
  }
  // Forgets the frames so far and moves the clock past the frame interval.
  void Later() { trace_.clear(), tick_ += 10; }

  // The star file "pictures" whose records are pictures of one row, each of `rows`' pixels with
  // its hot spot at its top-left corner, open in the library; its serial number.
  std::uint32_t OpenPictures(const std::vector<test::Bytes>& rows) {
    std::vector<test::Bytes> records;
    for (const test::Bytes& row : rows) {
      const auto w = static_cast<std::uint8_t>(row.size());
      records.push_back({1, 0, w, 0, 0, 0, 0, 0, std::uint8_t(w + 1), 0, std::uint8_t(w << 2 | 3)});
      records.back().insert(records.back().end(), row.begin(), row.end());
    }
    test::WriteStarFile(disk_.stack.files, test::TitlePath("pictures"), records,
                        static_cast<std::int32_t>(records.size()));
    StarFile* file = nullptr;
    EXPECT_EQ(disk_.stack.library.StarOpen(test::TitlePath("pictures"), file), ProgramCode::kOk);
    return file != nullptr ? file->serial() : 0;
  }

  [[nodiscard]] std::string Canvas(const Rect& area) { return Picture(window_.canvas(), area); }
  [[nodiscard]] std::string Boxes() const {
    std::string text;
    for (const std::string& box : disk_.boxTexts) text += box.substr(0, box.find(" (code")) + ";";
    return text;
  }

  test::ScratchStorage<RefusingFiles> disk_;
  testing::FakePlatform platform_;
  Screen window_{platform_};
  std::uint32_t tick_ = 100;
  std::vector<Rect> added_;
  std::vector<DisplayEntry> entries_;
  std::string trace_;
  Compositor compositor_{CompositorParts{
      .window = window_,
      .library = disk_.stack.library,
      .errors = disk_.stack.errors,
      .clock = {.tickCount = [this] { return tick_; }, .waitNextTick = [this] { ++tick_; }},
  }};
};

// Level 1 is the stage rectangle, level 2 the whole screen; requests only raise the level, and a
// frame consumes it. Rectangles that meet are united as they are added and merged before the
// copy; ones that only touch stay apart (right and bottom are exclusive); empty ones add nothing.
TEST_F(CompositorTest, RedrawLevelsAndDirtyRectanglesDecideWhatIsCopied) {
  using enum RedrawLevel;
  const struct {
    std::vector<RedrawLevel> requests;
    std::vector<Rect> dirty;
    std::string copied;
  } cases[] = {
      {{kScreen}, {}, "0,0,480,640"},
      {{kView}, {}, "48,64,432,576"},
      {{}, {}, ""},
      {{kView, kScreen}, {}, "0,0,480,640"},
      {{kScreen, kView, kNone}, {}, "0,0,480,640"},
      {{}, {{10, 10, 20, 20}, {15, 15, 30, 30}}, "10,10,30,30"},
      {{}, {{10, 10, 20, 20}, {40, 40, 50, 50}}, "10,10,20,20 40,40,50,50"},
      {{}, {{0, 0, 10, 10}, {0, 10, 10, 20}}, "0,0,10,10 0,10,10,20"},
      // The third meets the first; their union then meets the second.
      {{}, {{0, 0, 10, 10}, {20, 20, 30, 30}, {5, 5, 25, 25}}, "0,0,30,30"},
      {{}, {{5, 5, 5, 50}, {1, 1, 2, 2}}, "1,1,2,2"},
      {{kView}, {{100, 100, 110, 110}, {0, 0, 4, 4}}, "48,64,432,576 0,0,4,4"},
  };
  for (const auto& c : cases) {
    for (const RedrawLevel level : c.requests) compositor_.RequestRedraw(level);
    Later();
    const std::string copied = Compose(c.dirty);
    EXPECT_EQ(copied.empty() ? "" : copied.substr(copied.find(": ") + 2), c.copied) << c.copied;
    EXPECT_EQ(compositor_.redrawLevel(), kNone);
  }
}

// Around the stage's top-left and bottom-right corners: the backdrop (black '#') outside, the
// stage layer inside, moved by the stage's place on the screen; white '.' was never copied.
// Frames are at least the frame interval apart: a second frame asked for in the same tick waits
// for it, one asked for later does not wait.
TEST_F(CompositorTest, BackdropAndStageLayerArePixelExactAndFramesThreeTicksApart) {
  compositor_.stageLayer().row(0)[0] = 2;
  compositor_.stageLayer().row(383)[511] = 3;
  compositor_.RequestRedraw(RedrawLevel::kScreen);
  Compose();
  EXPECT_EQ(Canvas({46, 62, 50, 66}), "#### #### ##21 ##11");
  EXPECT_EQ(Canvas({430, 574, 434, 578}), "11## 13## #### ####");

  Fill(window_.canvas(), Port::kWhite);
  compositor_.backdrop().row(47)[63] = 4;
  Later();
  Compose({{47, 63, 49, 65}});
  EXPECT_EQ(Canvas({46, 62, 50, 66}), ".... .4#. .#2. ....");

  Compose({{0, 0, 8, 8}});
  tick_ += 7;
  Compose({{0, 0, 8, 8}});
  EXPECT_EQ(Compose({{0, 0, 8, 8}}),
            "110: 47,63,49,65 | 113: 0,0,8,8 | 120: 0,0,8,8 | 123: 0,0,8,8");
}

// The 200th dirty rectangle and the 100th display entry are logic errors; the rectangle is
// still redrawn, united with the last one (and that union with the first, which it now meets).
TEST_F(CompositorTest, ListLimitsAreReportedAtTheirLines) {
  std::vector<Rect> dirty;
  for (int i = 0; i < 199; ++i) dirty.push_back(MakeRect(i * 2, 0, 1, 1));
  entries_.assign(99, DisplayEntry{.anchor = {}, .bounds = {0, 600, 1, 601}});
  Compose(dirty);
  EXPECT_EQ(Boxes(), "");

  dirty.push_back({0, 10, 1, 11});
  entries_.emplace_back();
  Later();
  EXPECT_TRUE(Compose(dirty).starts_with("110: 0,0,397,11 ")) << trace_;
  EXPECT_EQ(Boxes(), "Logic error at line 5113;Logic error at line 5112;");
}

// A suppressed frame is composed but the canvas keeps what it showed; raises nest, and a lower
// too many is no raise in store.
TEST_F(CompositorTest, SuppressKeepsTheWindowUnchanged) {
  compositor_.RaiseSuppress();
  compositor_.RaiseSuppress();
  compositor_.LowerSuppress();
  compositor_.RequestRedraw(RedrawLevel::kScreen);
  EXPECT_EQ(Compose(), "");
  EXPECT_EQ(Canvas({47, 63, 49, 65}), ".. ..");
  EXPECT_EQ(Picture(compositor_.screenBuffer(), {47, 63, 49, 65}), "## #1");

  compositor_.LowerSuppress();
  compositor_.LowerSuppress();
  EXPECT_FALSE(compositor_.suppressed());
  Later();
  Compose({{47, 63, 49, 65}});
  EXPECT_EQ(Canvas({47, 63, 49, 65}), "## #1");
}

// 2-D entries are drawn far first, equal depths in the order added, mirrored when their mode
// says so; only entries that meet a dirty rectangle are drawn, and only their pictures are got.
// A stage title has no scene view to draw view entries into.
TEST_F(CompositorTest, DisplayEntriesAreDrawnByDepthWhereTheScreenChanged) {
  const std::uint32_t serial = OpenPictures({{5, 6}, {7, 7, 7}, {8}});
  const auto entry = [serial](std::int16_t h, std::int16_t depth, std::int32_t record,
                              std::uint16_t mode = 0) {
    return DisplayEntry{.anchor = PointAt(100, h),
                        .mode = mode,
                        .depth = depth,
                        .bounds = {100, Coord16(h - 3), 101, Coord16(h + 3)},
                        .fileSerial = serial,
                        .record = record};
  };
  // The last two are not drawn: one lies where nothing changed, one is a scene view's.
  entries_ = {entry(100, -2, 2),  entry(99, -1, 1),
              entry(100, -2, 0),  entry(200, -1, 0, DisplayEntry::kMirrored),
              entry(300, -1, 99), entry(104, 0, 99)};
  Compose({{100, 90, 101, 110}, {100, 190, 101, 210}});
  EXPECT_EQ(Canvas({100, 97, 101, 104}), "1175611");
  EXPECT_EQ(Canvas({100, 196, 101, 202}), "116511");
  EXPECT_EQ(Boxes(), "");

  entries_.push_back(entry(400, -1, 0));
  entries_.back().fileSerial = serial + 1;
  Later();
  Compose({{100, 390, 101, 410}});
  EXPECT_EQ(Boxes(), "Undefined error at line 5114;");
}

// A shown scene view covers the top 264 rows of the stage with its background: level 1 is then
// the view's rectangle, and view entries are drawn into it scaled to their size, at their anchor
// moved by the view's place. A view picture decodes into the background, keeping the bytes
// behind its frame; a damaged one or a missing one leaves the last view standing.
TEST_F(CompositorTest, SceneViewCoversTheTopOfTheStage) {
  const std::uint32_t serial = OpenPictures({{5, 6}, {7, 8, 9}});
  SceneViewLayer& view = compositor_.sceneView();
  Fill(view.background(), 4);
  view.setShown(true);
  compositor_.RequestRedraw(RedrawLevel::kView);
  EXPECT_EQ(Compose(), "100: 48,64,312,576");
  EXPECT_EQ(Canvas({310, 63, 314, 66}), ".44 .44 ... ...");
  entries_ = {DisplayEntry{.anchor = PointAt(10, 20),
                           .depth = 5,
                           .bounds = {58, 84, 60, 90},
                           .fileSerial = serial,
                           .record = 1,
                           .scale = (2 << 16) | 6}};
  Later();
  compositor_.RequestRedraw(RedrawLevel::kScreen);
  Compose();
  EXPECT_EQ(Canvas({57, 83, 61, 91}), "44444444 47788994 47788994 44444444");
  EXPECT_EQ(Canvas({310, 63, 314, 66}), "#44 #44 #11 #11");

  test::WriteStarFile(disk_.stack.files, test::TitlePath("views"),
                      {test::Bytes{1, 0, 2, 0, 4, 9, 9, 0xAB, 0xCD}, test::Bytes{5, 0, 2, 0}}, 2);
  StarFile* views = nullptr;
  ASSERT_EQ(disk_.stack.library.StarOpen(test::TitlePath("views"), views), ProgramCode::kOk);
  StarFile& file = *views;
  const auto decoded = [&](std::int32_t record) {
    const FatalSite fault = view.DecodeViewBackground(disk_.stack.library, file, record);
    return std::to_string(fault.errorLine) + " " + Picture(view.background(), {0, 0, 1, 3}) + " " +
           std::to_string(view.trailingBytes().size());
  };
  EXPECT_EQ(decoded(0), "0 994 2");
  EXPECT_EQ(decoded(1), "5119 994 2");
  EXPECT_EQ(view.DecodeViewBackground(disk_.stack.library, file, 40).errorLine, 5116);
}

// The idle step writes changed records back to their files; a write that fails is reported, and
// the record stays changed for the next step.
TEST_F(CompositorTest, IdleStepFlushesChangedRecords) {
  OpenPictures({{1, 2, 3}});
  test::ChangeRecord(disk_.stack.library, *disk_.stack.library.openFiles().front(), 0, 9);
  const auto nines = [this] { return std::ranges::count(disk_.FileBytes("pictures"), 9); };
  disk_.stack.files.refuseWrites = true;
  compositor_.IdleStep();
  EXPECT_EQ(nines(), 0);
  EXPECT_EQ(Boxes(), "File error at line 5118;");
  disk_.stack.files.refuseWrites = false;
  compositor_.IdleStep();
  EXPECT_EQ(nines(), 1);
}

// Copies are clipped to both buffers; buffers laid out with different row lengths are refused
// whole.
TEST(BufferCopyTest, CopiesClipToBothBuffersAndNeedOneRowLength) {
  Surface from(4, 2, 8);
  Fill(from, 3);
  Surface to(8, 3);
  Fill(to, Port::kWhite);
  EXPECT_FALSE(CopyBufferRect(from, PointAt(1, 6), to, {0, 0, 3, 8}).failed());
  EXPECT_EQ(Picture(to), "........ ......33 ......33");
  const FatalSite refused = CopyBufferRect(Surface(4, 2), Point{}, to, {0, 0, 3, 8});
  EXPECT_EQ(refused.programCode * 1000 + refused.errorLine, 110602);
  EXPECT_EQ(Picture(to), "........ ......33 ......33");
}

}  // namespace
}  // namespace lw
