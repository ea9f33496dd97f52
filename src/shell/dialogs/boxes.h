// Message boxes: the request the runtime makes, the answers it accepts, and the presenters
// that show them. The window backends draw boxes inside the runtime's window; before one exists,
// and in tools and tests, the terminal presenter prints the box and answers from a policy.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "common/box_request.h"

namespace lw {

// Shows a box and waits for the player's answer, which is always one of the box's buttons.
class BoxPresenter {
 public:
  virtual ~BoxPresenter() = default;
  virtual BoxAnswer showBox(const BoxRequest& request) = 0;
};

// Prints each box to a stream and takes the answer from a policy; the default policy takes the
// box's default button. Tests set a policy to answer (and to act while a box is up); an answer
// that is not one of the box's buttons counts as the default button.
class TerminalBoxes final : public BoxPresenter {
 public:
  using Policy = std::function<BoxAnswer(const BoxRequest&)>;

  // A null stream prints nothing.
  explicit TerminalBoxes(std::FILE* out = stderr) : out_(out) {}
  void setPolicy(Policy policy) { policy_ = std::move(policy); }

  BoxAnswer showBox(const BoxRequest& request) override;

 private:
  std::FILE* out_;
  Policy policy_;
};

// Wraps a text for a box: lines of at most 40 characters, broken at the last space of a full
// line (or at 40 characters when it has none), the spaces after a break skipped, each broken
// line ended with a line feed. A line feed already in the text starts a new line. Texts of at
// most 40 characters come back unchanged.
inline constexpr std::size_t kBoxLineWidth = 40;
[[nodiscard]] std::string WrapForBox(std::string_view text);

}  // namespace lw
