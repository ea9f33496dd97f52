#include "runtime/movie_actions.h"

#include <algorithm>

namespace lw {
namespace {

constexpr char kQuitKeys[] = ".Qq";

std::size_t ClampFrame(std::int32_t frame, std::size_t frameCount) {
  return static_cast<std::size_t>(
      std::clamp<std::int64_t>(frame, 0, static_cast<std::int64_t>(frameCount) - 1));
}

// The step of action `kind` (sign removed) with its frame and movie.
MovieStep StepOf(int kind, std::int32_t frame, const std::string& movie, std::size_t frameCount) {
  switch (static_cast<MovieAction>(kind)) {
    case MovieAction::kGoTo: return {MovieMove::kGoTo, ClampFrame(frame, frameCount), ""};
    case MovieAction::kPlay: return {MovieMove::kPlay, 0, movie};
    case MovieAction::kCall: return {MovieMove::kCall, ClampFrame(frame, frameCount), movie};
    case MovieAction::kReturn: return {MovieMove::kReturn, 0, ""};
    case MovieAction::kStop: break;
  }
  return {};
}

}  // namespace

MovieStep EndActionStep(const MovieFrame& frame, std::size_t current, std::size_t frameCount) {
  MovieStep step = StepOf(frame.endAction, frame.endArgument, frame.movie, frameCount);
  if (step.move == MovieMove::kGoTo && step.frame == current) return {};
  return step;
}

MovieStep HotSpotStep(const MovieHotSpot& spot, std::size_t current, std::size_t frameCount) {
  MovieStep step =
      StepOf(spot.kind < 0 ? -spot.kind : spot.kind, spot.frame, spot.movie, frameCount);
  if (step.move == MovieMove::kGoTo && step.frame == current) step.move = MovieMove::kNoBranch;
  return step;
}

std::optional<std::size_t> HotSpotAt(const std::vector<MovieHotSpot>& spots, Point point,
                                     std::size_t from) {
  for (std::size_t i = from; i < spots.size(); ++i) {
    if (spots[i].rect.contains(point)) return i;
  }
  return std::nullopt;
}

MovieKeyCommand KeyCommandOf(const EventRecord& event) {
  if (event.what != event_kind::kKeyDown || (event.modifiers & event_modifier::kCommand) == 0) {
    return {};
  }
  const char key = static_cast<char>(event.message & 0xFF);
  if (std::string_view(kQuitKeys).find(key) != std::string_view::npos) {
    return {MovieKey::kQuit, 0};
  }
  if (key >= '0' && key <= '9') return {MovieKey::kLevel, key - '0'};
  if (key == 'T' || key == 't') return {MovieKey::kTheme, 0};
  return {};
}

bool MovieStack::Push(std::string movie, std::size_t frame) {
  if (entries_.size() >= kDepth) return false;
  entries_.push_back({std::move(movie), frame});
  return true;
}

std::optional<MovieStack::Entry> MovieStack::Pop() {
  if (entries_.empty()) return std::nullopt;
  Entry entry = std::move(entries_.back());
  entries_.pop_back();
  return entry;
}

}  // namespace lw
