// Frame encoding. Whole-row operations are tried first (unchanged, copied); then a literal row
// competes with a delta row planned by a backward shortest-path pass over the row's columns:
// best[x] is the least cost that rebuilds columns x .. W-1, and each sub-operation starting at x
// is an edge to x + count. A cost is bytes plus, unless the smallest record is asked for, a
// weight times the time the decoder takes (see DecodeTimes). Every kind of sub-operation has a
// cost that depends on the count in a regular way (a header of 1 or 2 bytes and a fixed time,
// then per-pixel bytes and time: none, a constant, one per pixel, or a bit run), so for each kind
// the best edge out of x is a minimum over a window of positions that only slides towards the
// row start as x falls; monotone queues give those minima in constant time per column.
#include "authoring/frame_encoder.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "common/byte_io.h"
#include "common/geometry.h"
#include "media/frame_codec.h"

namespace lw::authoring {
namespace {

constexpr std::int32_t kMaxSide = 32767;  // N and W are 16-bit fields

using namespace frame_format;

// The op byte of a family (delta or copy) that names the row `distance` rows away.
std::uint8_t NeighbourOp(std::uint8_t first, int distance) {
  const int index = distance < 0 ? distance + kReach : distance + kReach - 1;
  return static_cast<std::uint8_t>(first + kOpStep * index);
}

using SubOp = SubOpKind;

// Sub-op counts: 1 .. 31 in the sub-op byte, 32 .. 287 in an extra byte after it.
constexpr int kShortCountLast = kLongCountBase - 1;
constexpr int kLongCountLast = kLongCountBase + 255;

// A range of counts that share a header size.
struct CountTier {
  int first;
  int last;
  int headerBytes;
};
constexpr std::array<CountTier, 2> kTiers = {
    {{1, kShortCountLast, 1}, {kLongCountBase, kLongCountLast, 2}}};

constexpr int kValueBytes = 1;     // the byte of a fill or the first pixel of a horizontal run
constexpr int kDistanceBytes = 2;  // the u16 distance of a copy back

// A copy back reads each unit (1, 2 or 4 bytes) whole before writing it. Only copies whose units
// read finished bytes are used, so that every pixel is simply the one d back and nothing depends
// on what the row held: d of 4 or more, or d of 2 or 3 with at most 3 pixels (units of 1 and 2
// bytes). Distances are searched up to a window, inside the current row only.
constexpr int kUnitBytes = 4;
constexpr int kMinCopyDistance = 2;
constexpr int kSmallCopyLast = 3;
constexpr int kMaxCopyDistance = 64;

// Delta codes: 1 bit for 0, k + 2 bits for +/-k up to 7, else 8 zeros and the byte.
constexpr int kByteBits = 8;
constexpr int kMaxShortDelta = 7;
constexpr int kEscapeBits = 8;
constexpr int kEscapedCodeBits = kEscapeBits + kByteBits;

// A pixel difference modulo 256 as the signed step it codes, -128 .. 127.
constexpr int SignedDelta(std::uint8_t delta) { return static_cast<std::int8_t>(delta); }

constexpr int DeltaCodeBits(std::uint8_t delta) {
  const int step = SignedDelta(delta);
  const int magnitude = step < 0 ? -step : step;
  if (magnitude == 0) return 1;
  return magnitude <= kMaxShortDelta ? magnitude + 2 : kEscapedCodeBits;
}

constexpr std::size_t kByteValues = 256;
using CodeBitsTable = std::array<std::uint8_t, kByteValues>;
constexpr CodeBitsTable MakeCodeBitsTable() {
  CodeBitsTable table{};
  for (std::size_t delta = 0; delta < kByteValues; ++delta)
    table[delta] = static_cast<std::uint8_t>(DeltaCodeBits(static_cast<std::uint8_t>(delta)));
  return table;
}
constexpr CodeBitsTable kCodeBits = MakeCodeBitsTable();

int CodeBits(std::uint8_t base, std::uint8_t pixel) {
  return kCodeBits[static_cast<std::uint8_t>(pixel - base)];
}

// Decoding times in picoseconds, measured on a 2-core x86-64 build machine (g++ 12 -O3) by
// decoding 640x480 frames made of one kind of operation only, repeated many times: the fixed
// cost of an operation is the intercept and the per-pixel cost the slope over counts 1 .. 256.
// They are rough (within some 30% on a loaded machine) but their ratios are what matters: a bit
// run costs 0.6 .. 2.8 ns a pixel, a byte move 0.02 .. 0.1 ns.
struct DecodeTimes {
  static constexpr int kWholeRow = 1000;  // literal or copied, plus the bytes moved
  static constexpr int kWholeRowPixel = 18;
  static constexpr int kDeltaRow = 2500;      // plus its sub-operations
  static constexpr int kSubOp = 2500;         // dispatch of a sub-operation without a bit run
  static constexpr int kBitRunSubOp = 10000;  // set-up and tail of a bit run
  static constexpr int kSkipPixel = 15;
  static constexpr int kMovePixel = 35;      // literal pixels, copies from the reference
  static constexpr int kFillPixel = 25;      // fills and repeats
  static constexpr int kCopyBackPixel = 30;  // copies back (periods 4 and 8 the fastest)
  static constexpr int kCopyBackSubOp = 4000;
};

// The time a bit run takes per pixel by code length in bits: the decoder looks codes up in
// groups of up to four from 10 bits at a time (at about 2.7 ns a look-up), and escapes one at
// a time from a smaller table.
constexpr int CodeTimePs(int bits) {
  constexpr std::array<int, kEscapedCodeBits + 1> kByLength = {
      0, 640, 0, 910, 1340, 1300, 2800, 2800, 2800, 2800, 0, 0, 0, 0, 0, 0, 1550};
  return kByLength[static_cast<std::size_t>(bits)];
}

// Planning costs are whole units, a byte being kUnitsPerByte of them.
using Cost = std::int64_t;
constexpr Cost kUnitsPerByte = 64;
constexpr double kPsPerNs = 1000;

// The weight of decoding time for EncodeGoal::kBalanced, in bytes per nanosecond: a bit-run
// pixel is taken over a literal one only where it saves a byte for every nanosecond more it
// takes to decode, which only runs of equal pixels do. Textured areas (small deltas, 3 to 5
// bits a pixel) then go literal: on 640x480 test clips with noisy ground that makes records
// about 2.7 times larger than the smallest ones, but frames decode 5 to 10 times faster.
// Below about 0.7 the textures flip back to bit runs and decoding is as slow as the smallest.
constexpr double kBalancedBytesPerNs = 1.0;

// Bytes and decoding times converted to cost units for one goal.
class CostModel {
 public:
  explicit CostModel(EncodeGoal goal)
      : unitsPerPs_(goal == EncodeGoal::kSmallest
                        ? 0
                        : kBalancedBytesPerNs * static_cast<double>(kUnitsPerByte) / kPsPerNs) {
    for (std::size_t delta = 0; delta < kByteValues; ++delta)
      codeTime_[delta] = time(CodeTimePs(kCodeBits[delta]));
  }

  [[nodiscard]] static constexpr Cost bytes(Cost count) { return count * kUnitsPerByte; }
  [[nodiscard]] Cost time(int ps) const { return std::llround(ps * unitsPerPs_); }
  // The decoding time of the code of pixel - base in a bit run.
  [[nodiscard]] Cost codeTime(std::uint8_t base, std::uint8_t pixel) const {
    return codeTime_[static_cast<std::uint8_t>(pixel - base)];
  }

 private:
  double unitsPerPs_;
  std::array<Cost, kByteValues> codeTime_{};
};

// Writes delta codes most significant bit first; the last byte is padded with zero bits.
class BitWriter {
 public:
  explicit BitWriter(ByteWriter& out) : out_(out) {}
  ~BitWriter() {
    if (used_ > 0) out_.u8(static_cast<std::uint8_t>(pending_ << (kByteBits - used_)));
  }
  BitWriter(const BitWriter&) = delete;
  BitWriter& operator=(const BitWriter&) = delete;

  // The code of pixel - base.
  void code(std::uint8_t base, std::uint8_t pixel) {
    const auto delta = static_cast<std::uint8_t>(pixel - base);
    const int step = SignedDelta(delta);
    const int magnitude = step < 0 ? -step : step;
    if (magnitude == 0) {
      bits(1, 1);
    } else if (magnitude <= kMaxShortDelta) {
      bits(1, magnitude + 1);  // the zeros, then the 1
      bits(step > 0 ? 1 : 0, 1);
    } else {
      bits(0, kEscapeBits);
      bits(delta, kByteBits);
    }
  }

 private:
  void bits(unsigned value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      pending_ = (pending_ << 1) | ((value >> i) & 1);
      if (++used_ == kByteBits) {
        out_.u8(static_cast<std::uint8_t>(pending_));
        pending_ = 0;
        used_ = 0;
      }
    }
  }

  ByteWriter& out_;
  unsigned pending_ = 0;
  int used_ = 0;
};

constexpr Cost kNoCost = std::numeric_limits<Cost>::max() / 4;

// The least value among the positions that entered a window, for windows whose both ends only
// move towards lower positions: positions enter at the low end and leave at the high end.
// Entries are kept with values rising towards the low end; a new entry removes the ones at the
// low end that it beats, since it stays in the window longer than they do. Each position enters
// once, so `capacity` entries are enough for positions 0 .. capacity-1.
class MinWindow {
 public:
  struct Entry {
    int position;
    Cost value;
  };

  void clear(std::size_t capacity) {
    if (entries_.size() < capacity) entries_.resize(capacity);
    front_ = 0;
    end_ = 0;
  }
  void push(int position, Cost value) {
    while (end_ > front_ && entries_[end_ - 1].value >= value) --end_;
    entries_[end_++] = {position, value};
  }
  // Ends the window at `last`.
  void dropAbove(int last) {
    while (front_ < end_ && entries_[front_].position > last) ++front_;
  }
  [[nodiscard]] const Entry* least() const { return front_ < end_ ? &entries_[front_] : nullptr; }

 private:
  std::vector<Entry> entries_;
  std::size_t front_ = 0;  // the entry with the highest position still in the window
  std::size_t end_ = 0;    // behind the entry with the lowest position
};

// A window for bit runs, whose bytes from x to y are ceil((bits[y] - bits[x]) / 8) for prefix
// sums `bits` of code lengths. With a = bits[y] = 8qa + ra and b = bits[x] = 8qb + rb, that
// ceiling is qa - qb + (ra > rb ? 1 : 0). Entries are ranked by cost[y] + qa bytes and then by
// ra: if the least of them has ra above rb, so has every other with the same rank, and when
// costs are whole bytes all others cost at least one more byte anyway, so the least entry is a
// cheapest one. With decoding time in the costs it may miss a cheaper one by less than a byte.
class BitRunWindow {
 public:
  void clear(std::size_t capacity) { window_.clear(capacity); }
  void push(int position, Cost cost, int bits) {
    window_.push(position,
                 (cost + CostModel::bytes(bits / kByteBits)) * kByteBits + bits % kByteBits);
  }
  void dropAbove(int last) { window_.dropAbove(last); }
  // The least cost + ceil((bits - baseBits) / 8) bytes in the window, with its position.
  [[nodiscard]] MinWindow::Entry least(int baseBits) const {
    const MinWindow::Entry* entry = window_.least();
    if (entry == nullptr) return {0, kNoCost};
    const bool carry = entry->value % kByteBits > baseBits % kByteBits;
    return {entry->position,
            entry->value / kByteBits - CostModel::bytes(baseBits / kByteBits - (carry ? 1 : 0))};
  }

 private:
  MinWindow window_;
};

// One sub-operation of a planned delta row.
struct Step {
  SubOp kind = SubOp::kLiteralPixels;
  int count = 0;
};

// A planned delta row: its sub-operations (indexed by starting column) and their cost.
struct DeltaPlan {
  Cost cost = kNoCost;
  int distance = 0;  // of the reference row
  const std::uint8_t* reference = nullptr;
  std::vector<Step> steps;
};

// A sub-operation without per-pixel data: valid for the first `lengths[x]` pixels from x. Its
// cost is `fixed` (header aside) and `perPixel` for each pixel.
struct RunKind {
  SubOp kind;
  Cost fixed;
  Cost perPixel;
  const std::vector<int>* lengths;
};

// Plans delta rows for one row at a time: the facts that do not depend on the reference row are
// gathered once per row, then each reference row is planned.
class DeltaRowPlanner {
 public:
  explicit DeltaRowPlanner(EncodeGoal goal)
      : model_(goal),
        subOp_(model_.time(DecodeTimes::kSubOp)),
        bitRunSubOp_(model_.time(DecodeTimes::kBitRunSubOp)),
        literalPixel_(CostModel::bytes(1) + model_.time(DecodeTimes::kMovePixel)) {}

  [[nodiscard]] const CostModel& model() const { return model_; }

  // `old` is what the row holds before it is rebuilt; null in a key frame, where it is unknown.
  void setRow(const std::uint8_t* target, const std::uint8_t* old, int width) {
    target_ = target;
    old_ = old;
    width_ = width;
    const auto size = static_cast<std::size_t>(width) + 1;
    for (std::vector<int>* v : {&fillLengths_, &repeatLengths_, &skipLengths_, &backLengths_,
                                &horizontalBits_, &copyLengths_, &verticalBits_}) {
      v->assign(size, 0);
    }
    for (std::vector<Cost>* v : {&horizontalTime_, &verticalTime_, &best_}) v->assign(size, 0);
    gatherRuns();
    gatherCopiesBack();
    for (int x = 1; x < width; ++x) {
      horizontalBits_[x + 1] = horizontalBits_[x] + CodeBits(target[x - 1], target[x]);
      horizontalTime_[x + 1] = horizontalTime_[x] + model_.codeTime(target[x - 1], target[x]);
    }
  }

  // The total code length of the row as vertical deltas against `reference`: a quick measure
  // of how well the reference fits.
  [[nodiscard]] int verticalCodeBits(const std::uint8_t* reference) const {
    int bits = 0;
    for (int x = 0; x < width_; ++x) bits += CodeBits(reference[x], target_[x]);
    return bits;
  }

  // Plans the row against `reference` (null when the row has no usable reference row) into
  // `plan`, leaving the cost of its sub-operations (without the row op byte) in plan.cost.
  void plan(const std::uint8_t* reference, int distance, DeltaPlan& plan) {
    gatherReference(reference);
    plan.reference = reference;
    plan.distance = distance;
    plan.steps.assign(static_cast<std::size_t>(width_), Step{});
    auto time = [this](int ps) { return model_.time(ps); };
    std::vector<RunKind> runKinds = {
        {SubOp::kRepeatLeft, subOp_, time(DecodeTimes::kFillPixel), &repeatLengths_},
        {SubOp::kFill, CostModel::bytes(kValueBytes) + subOp_, time(DecodeTimes::kFillPixel),
         &fillLengths_},
        {SubOp::kCopyBack, CostModel::bytes(kDistanceBytes) + time(DecodeTimes::kCopyBackSubOp),
         time(DecodeTimes::kCopyBackPixel), &backLengths_}};
    if (old_ != nullptr) {
      runKinds.push_back({SubOp::kSkip, subOp_, time(DecodeTimes::kSkipPixel), &skipLengths_});
    }
    if (reference != nullptr) {
      runKinds.push_back(
          {SubOp::kCopyReference, subOp_, time(DecodeTimes::kMovePixel), &copyLengths_});
    }
    clearWindows();
    best_[width_] = 0;
    for (int x = width_ - 1; x >= 0; --x) {
      Choice choice(x);
      offerRuns(runKinds, choice);
      offerDataRuns(reference != nullptr, choice);
      best_[x] = choice.cost;
      plan.steps[static_cast<std::size_t>(x)] = choice.step;
    }
    plan.cost = best_[0];
  }

  // Appends the sub-operations of `plan`, made for the current row.
  void emit(const DeltaPlan& plan, ByteWriter& out) const {
    for (int x = 0; x < width_;) {
      const Step step = plan.steps[static_cast<std::size_t>(x)];
      emitStep(step, x, plan.reference, out);
      x += step.count;
    }
  }

 private:
  // The cheapest sub-operation found so far that starts at column x.
  struct Choice {
    explicit Choice(int column) : x(column) {}
    void offer(Cost candidate, SubOp kind, int end) {
      if (candidate < cost) {
        cost = candidate;
        step = {kind, end - x};
      }
    }
    int x;
    Cost cost = kNoCost;
    Step step;
  };

  void clearWindows() {
    const auto positions = static_cast<std::size_t>(width_) + 1;
    for (auto& tiers : runWindows_)
      for (MinWindow& window : tiers) window.clear(positions);
    for (std::size_t t = 0; t < kTiers.size(); ++t) {
      literalWindows_[t].clear(positions);
      verticalWindows_[t].clear(positions);
      horizontalWindows_[t].clear(positions);
    }
  }

  // Offers the sub-operations without per-pixel data: each can end anywhere up to its length.
  void offerRuns(const std::vector<RunKind>& runKinds, Choice& choice) {
    const int x = choice.x;
    for (std::size_t k = 0; k < runKinds.size(); ++k) {
      const RunKind& run = runKinds[k];
      for (std::size_t t = 0; t < kTiers.size(); ++t) {
        MinWindow& window = runWindows_[k][t];
        const int first = x + kTiers[t].first;
        if (first <= width_) window.push(first, best_[first] + run.perPixel * first);
        window.dropAbove(x + std::min((*run.lengths)[x], kTiers[t].last));
        if (const MinWindow::Entry* entry = window.least()) {
          choice.offer(
              CostModel::bytes(kTiers[t].headerBytes) + run.fixed + entry->value - run.perPixel * x,
              run.kind, entry->position);
        }
      }
    }
  }

  // Offers literal pixels and the delta runs (vertical ones only with a reference row).
  void offerDataRuns(bool haveReference, Choice& choice) {
    const int x = choice.x;
    for (std::size_t t = 0; t < kTiers.size(); ++t) {
      const CountTier& tier = kTiers[t];
      const Cost header = CostModel::bytes(tier.headerBytes);
      // Literal pixels: the header and one byte per pixel.
      const int first = x + tier.first;
      if (first <= width_) literalWindows_[t].push(first, best_[first] + literalPixel_ * first);
      literalWindows_[t].dropAbove(x + tier.last);
      if (const MinWindow::Entry* entry = literalWindows_[t].least()) {
        choice.offer(header + subOp_ + entry->value - literalPixel_ * x, SubOp::kLiteralPixels,
                     entry->position);
      }
      // Vertical deltas: the header and the bit run of every pixel.
      if (haveReference) {
        if (first <= width_) {
          verticalWindows_[t].push(first, best_[first] + verticalTime_[first],
                                   verticalBits_[first]);
        }
        verticalWindows_[t].dropAbove(x + tier.last);
        const MinWindow::Entry entry = verticalWindows_[t].least(verticalBits_[x]);
        choice.offer(header + bitRunSubOp_ + entry.value - verticalTime_[x], SubOp::kVerticalDeltas,
                     entry.position);
      }
      // Horizontal deltas: the header, the first pixel, the bit run of the others.
      const int firstRun = x + std::max(tier.first, kMinHorizontalRun);
      if (firstRun <= width_) {
        horizontalWindows_[t].push(firstRun, best_[firstRun] + horizontalTime_[firstRun],
                                   horizontalBits_[firstRun]);
      }
      horizontalWindows_[t].dropAbove(x + tier.last);
      const MinWindow::Entry entry = horizontalWindows_[t].least(horizontalBits_[x + 1]);
      choice.offer(header + CostModel::bytes(kValueBytes) + bitRunSubOp_ + entry.value -
                       horizontalTime_[x + 1],
                   SubOp::kHorizontalDeltas, entry.position);
    }
  }

  // Fill, repeat and skip lengths, from the row's end backwards.
  void gatherRuns() {
    const std::uint8_t* t = target_;
    for (int x = width_ - 1; x >= 0; --x) {
      const bool sameAsNext = x + 1 < width_ && t[x] == t[x + 1];
      fillLengths_[x] = sameAsNext ? fillLengths_[x + 1] + 1 : 1;
      repeatLengths_[x] = x > 0 && t[x] == t[x - 1] ? fillLengths_[x] : 0;
      if (old_ != nullptr) skipLengths_[x] = t[x] == old_[x] ? skipLengths_[x + 1] + 1 : 0;
    }
  }

  // For each column, the longest copy back with a usable distance (see kMinCopyDistance).
  void gatherCopiesBack() {
    std::array<int, kMaxCopyDistance + 1> matched{};  // by distance: equal pixels from x on
    for (int x = width_ - 1; x >= 0; --x) {
      int longest = 0;
      for (int d = kMinCopyDistance; d <= kMaxCopyDistance; ++d) {
        matched[d] = d <= x && target_[x] == target_[x - d] ? matched[d] + 1 : 0;
        longest =
            std::max(longest, d < kUnitBytes ? std::min(matched[d], kSmallCopyLast) : matched[d]);
      }
      backLengths_[x] = longest;
    }
  }

  void gatherReference(const std::uint8_t* reference) {
    if (reference == nullptr) return;
    copyLengths_[width_] = 0;
    for (int x = width_ - 1; x >= 0; --x)
      copyLengths_[x] = target_[x] == reference[x] ? copyLengths_[x + 1] + 1 : 0;
    for (int x = 0; x < width_; ++x) {
      verticalBits_[x + 1] = verticalBits_[x] + CodeBits(reference[x], target_[x]);
      verticalTime_[x + 1] = verticalTime_[x] + model_.codeTime(reference[x], target_[x]);
    }
  }

  // A distance for a copy back of `count` pixels at x.
  [[nodiscard]] int copyDistance(int x, int count) const {
    const int shortest = count <= kSmallCopyLast ? kMinCopyDistance : kUnitBytes;
    for (int d = shortest; d <= std::min(x, kMaxCopyDistance); ++d) {
      if (std::equal(target_ + x, target_ + x + count, target_ + x - d)) return d;
    }
    assert(false && "the plan holds a copy back that no distance makes");
    return 0;
  }

  void emitStep(Step step, int x, const std::uint8_t* reference, ByteWriter& out) const {
    const auto kind = static_cast<std::uint8_t>(step.kind);
    if (step.count <= kShortCountLast) {
      out.u8(static_cast<std::uint8_t>(step.count << kKindBits | kind));
    } else {
      out.u8(kind);
      out.u8(static_cast<std::uint8_t>(step.count - kLongCountBase));
    }
    const std::uint8_t* pixels = target_ + x;
    switch (step.kind) {
      case SubOp::kHorizontalDeltas: {
        out.u8(pixels[0]);
        BitWriter bits(out);
        for (int i = 1; i < step.count; ++i) bits.code(pixels[i - 1], pixels[i]);
        break;
      }
      case SubOp::kVerticalDeltas: {
        BitWriter bits(out);
        for (int i = 0; i < step.count; ++i) bits.code(reference[x + i], pixels[i]);
        break;
      }
      case SubOp::kLiteralPixels: out.bytes({pixels, static_cast<std::size_t>(step.count)}); break;
      case SubOp::kFill: out.u8(pixels[0]); break;
      case SubOp::kCopyBack:
        out.u16(static_cast<std::uint16_t>(copyDistance(x, step.count)));
        break;
      case SubOp::kSkip:
      case SubOp::kCopyReference:
      case SubOp::kRepeatLeft: break;
    }
  }

  static constexpr std::size_t kMostRunKinds = 5;

  CostModel model_;
  Cost subOp_;         // the fixed time of a sub-operation without a bit run
  Cost bitRunSubOp_;   // the fixed time of a bit run
  Cost literalPixel_;  // a literal pixel's byte and time
  const std::uint8_t* target_ = nullptr;
  const std::uint8_t* old_ = nullptr;
  int width_ = 0;
  // Per column x (each with a zero at x = W): run lengths of the sub-operations without data,
  // and prefix sums of code bits (horizontal: of columns 1 .. x-1 against their left pixels).
  // Bit-run times have prefix sums alike.
  std::vector<int> fillLengths_, repeatLengths_, skipLengths_, backLengths_, horizontalBits_;
  std::vector<int> copyLengths_, verticalBits_;  // against the reference being planned
  std::vector<Cost> horizontalTime_, verticalTime_;
  std::vector<Cost> best_;
  std::array<std::array<MinWindow, kTiers.size()>, kMostRunKinds> runWindows_;
  std::array<MinWindow, kTiers.size()> literalWindows_;
  std::array<BitRunWindow, kTiers.size()> verticalWindows_, horizontalWindows_;
};

// Reference rows planned per delta row, the ones with the shortest vertical codes; planning all
// eight saves well under 0.1% on typical pictures and takes up to four times as long.
constexpr std::size_t kReferencesPlanned = 2;
constexpr int kUnreadReferenceDistance = -1;

class FrameEncoder {
 public:
  FrameEncoder(const FramePixels& picture, const FramePixels* previous, EncodeGoal goal)
      : picture_(picture),
        previous_(previous),
        width_(picture.width),
        evenWidth_(picture.width & ~1),
        smallest_(goal == EncodeGoal::kSmallest),
        planner_(goal) {}

  std::vector<std::uint8_t> encode() {
    out_.i16(Coord16(picture_.height));
    out_.i16(Coord16(picture_.width));
    for (int r = 0; r < picture_.height; ++r) encodeRow(r);
    return out_.take();
  }

 private:
  [[nodiscard]] const std::uint8_t* target(int r) const {
    return picture_.pixels.data() + static_cast<std::ptrdiff_t>(r) * width_;
  }
  // What row r holds before this frame; null in a key frame.
  [[nodiscard]] const std::uint8_t* old(int r) const {
    return previous_ == nullptr
               ? nullptr
               : previous_->pixels.data() + static_cast<std::ptrdiff_t>(r) * width_;
  }
  // Row r + distance as it is when row r is rebuilt: rows above are new, rows below hold old
  // content (unknown in a key frame). Null when there is no such row or it is unknown.
  [[nodiscard]] const std::uint8_t* neighbour(int r, int distance) const {
    const int row = r + distance;
    if (row < 0 || row >= picture_.height) return nullptr;
    return distance < 0 ? target(row) : old(row);
  }

  // Literal rows and row copies write W rounded down to even: with an odd W they fit only when
  // the last pixel is already right.
  [[nodiscard]] bool lastPixelKept(int r) const {
    return evenWidth_ == width_ ||
           (old(r) != nullptr && old(r)[width_ - 1] == target(r)[width_ - 1]);
  }

  void encodeRow(int r) {
    const std::uint8_t* t = target(r);
    const std::uint8_t* o = old(r);
    if (o != nullptr && std::equal(t, t + width_, o)) {
      out_.u8(kOpUnchanged);
      return;
    }
    const bool wholeRowsFit = lastPixelKept(r);
    std::vector<std::pair<int, const std::uint8_t*>> references;
    for (int distance = -kReach; distance <= kReach; ++distance) {
      const std::uint8_t* source = distance == 0 ? nullptr : neighbour(r, distance);
      if (source == nullptr) continue;
      if (wholeRowsFit && std::equal(t, t + evenWidth_, source)) {
        out_.u8(NeighbourOp(kOpCopyFirst, distance));
        return;
      }
      references.emplace_back(distance, source);
    }
    const DeltaPlan& delta = planDelta(r, references);
    const CostModel& model = planner_.model();
    const Cost literalRow =
        CostModel::bytes(evenWidth_) +
        model.time(DecodeTimes::kWholeRow + DecodeTimes::kWholeRowPixel * evenWidth_);
    if (wholeRowsFit && literalRow <= delta.cost + model.time(DecodeTimes::kDeltaRow)) {
      out_.u8(kOpLiteral);
      out_.bytes({t, static_cast<std::size_t>(evenWidth_)});
      return;
    }
    out_.u8(NeighbourOp(kOpDeltaFirst, delta.distance));
    [[maybe_unused]] const std::size_t before = out_.data().size();
    planner_.emit(delta, out_);
    // Without decoding times in it, a plan's cost is its size.
    assert(!smallest_ ||
           CostModel::bytes(static_cast<Cost>(out_.data().size() - before)) == delta.cost);
  }

  // The cheapest delta row found for row r among its most promising reference rows.
  const DeltaPlan& planDelta(int r, std::vector<std::pair<int, const std::uint8_t*>>& references) {
    planner_.setRow(target(r), old(r), width_);
    if (references.empty()) {
      // No neighbour is usable: plan without one; the op byte names a row that is never read.
      planner_.plan(nullptr, kUnreadReferenceDistance, best_);
      return best_;
    }
    std::vector<std::pair<int, std::size_t>> ranked;  // code bits, index into references
    for (std::size_t i = 0; i < references.size(); ++i)
      ranked.emplace_back(planner_.verticalCodeBits(references[i].second), i);
    std::sort(ranked.begin(), ranked.end());
    best_.cost = kNoCost;
    for (std::size_t i = 0; i < std::min(ranked.size(), kReferencesPlanned); ++i) {
      const auto& [distance, row] = references[ranked[i].second];
      planner_.plan(row, distance, trial_);
      if (trial_.cost < best_.cost) std::swap(best_, trial_);
    }
    return best_;
  }

  const FramePixels& picture_;
  const FramePixels* previous_;
  int width_;
  int evenWidth_;
  [[maybe_unused]] bool smallest_;
  ByteWriter out_;
  DeltaRowPlanner planner_;
  DeltaPlan best_, trial_;
};

// Why a picture cannot be encoded, if it cannot.
std::optional<std::string> CheckPicture(const FramePixels& picture, const char* what) {
  if (picture.width < 0 || picture.height < 0 || picture.width > kMaxSide ||
      picture.height > kMaxSide) {
    return std::string(what) + " is " + std::to_string(picture.width) + " x " +
           std::to_string(picture.height) + " pixels; a frame holds at most " +
           std::to_string(kMaxSide) + " a side";
  }
  if (picture.pixels.size() !=
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return std::string(what) + " has " + std::to_string(picture.pixels.size()) +
           " pixels, not width x height";
  }
  return std::nullopt;
}

}  // namespace

Expected<std::vector<std::uint8_t>, std::string> EncodeFrame(const FramePixels& picture,
                                                             const FramePixels* previous,
                                                             EncodeGoal goal) {
  if (auto problem = CheckPicture(picture, "the picture")) return Unexpected{*problem};
  if (previous != nullptr) {
    if (auto problem = CheckPicture(*previous, "the previous picture")) return Unexpected{*problem};
    if (previous->width != picture.width || previous->height != picture.height)
      return Unexpected{std::string("the previous picture's size differs from the picture's")};
  }
  return FrameEncoder(picture, previous, goal).encode();
}

}  // namespace lw::authoring
