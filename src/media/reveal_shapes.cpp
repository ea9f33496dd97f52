#include "media/reveal_shapes.h"

#include <algorithm>

namespace lw {
namespace {

RevealBox Clipped(const RevealBox& box, const RevealBox& area) {
  return RevealBox{std::max(box.top, area.top), std::max(box.left, area.left),
                   std::min(box.bottom, area.bottom), std::min(box.right, area.right)};
}

// Moves `box` by s along `direction` (down and right are positive).
void Move(RevealBox& box, RevealDirection direction, int s) {
  switch (direction) {
    case RevealDirection::kDown: box.top += s, box.bottom += s; break;
    case RevealDirection::kUp: box.top -= s, box.bottom -= s; break;
    case RevealDirection::kRight: box.left += s, box.right += s; break;
    case RevealDirection::kLeft: box.left -= s, box.right -= s; break;
  }
}

// The strip s deep at the edge of `area` where a band moving along `direction` starts.
RevealBox LeadingStrip(const RevealBox& a, RevealDirection direction, int s) {
  switch (direction) {
    case RevealDirection::kDown: return RevealBox{a.top, a.left, a.top + s, a.right};
    case RevealDirection::kUp: return RevealBox{a.bottom - s, a.left, a.bottom, a.right};
    case RevealDirection::kRight: return RevealBox{a.top, a.left, a.bottom, a.left + s};
    case RevealDirection::kLeft: return RevealBox{a.top, a.right - s, a.bottom, a.right};
  }
  return a;
}

RevealDirection Opposite(RevealDirection direction) {
  switch (direction) {
    case RevealDirection::kDown: return RevealDirection::kUp;
    case RevealDirection::kUp: return RevealDirection::kDown;
    case RevealDirection::kRight: return RevealDirection::kLeft;
    case RevealDirection::kLeft: return RevealDirection::kRight;
  }
  return direction;
}

// Moves the edge of `box` that leads along `direction` on by s, so that the box grows that way.
void Deepen(RevealBox& box, RevealDirection direction, int s) {
  switch (direction) {
    case RevealDirection::kDown: box.bottom += s; break;
    case RevealDirection::kUp: box.top -= s; break;
    case RevealDirection::kRight: box.right += s; break;
    case RevealDirection::kLeft: box.left -= s; break;
  }
}

}  // namespace

bool RevealBarnDoorClose(const RevealBox& a, int s, RevealPace pace, RevealTarget& target) {
  RevealBox left{a.top, a.left, a.bottom, a.left + s};
  RevealBox right{a.top, a.right - s, a.bottom, a.right};
  for (int step = 0; step < pace.steps; ++step) {
    target.Reveal(left);
    target.Reveal(right);
    Move(left, RevealDirection::kRight, s);
    Move(right, RevealDirection::kLeft, s);
    if (!target.EndStep(pace.pause)) return false;
  }
  return true;
}

bool RevealBarnDoorOpen(const RevealBox& a, int s, RevealPace pace, RevealTarget& target) {
  const int c = (a.left + a.right) >> 1;
  RevealBox left{a.top, c - s, a.bottom, c};
  RevealBox right{a.top, c, a.bottom, c + s};
  for (int step = 0; step < pace.steps; ++step) {
    target.Reveal(left);
    target.Reveal(right);
    Move(left, RevealDirection::kLeft, s);
    Move(right, RevealDirection::kRight, s);
    if (!target.EndStep(pace.pause)) return false;
  }
  return true;
}

bool RevealIrisClose(const RevealBox& a, int sv, int sh, RevealPace pace, RevealTarget& target) {
  RevealBox top{a.top, a.left, a.top + sv, a.right};
  RevealBox bottom{a.bottom - sv, a.left, a.bottom, a.right};
  RevealBox right{a.top, a.right - sh, a.bottom, a.right};
  RevealBox left{a.top, a.left, a.bottom, a.left + sh};
  for (int step = 0; step < pace.steps; ++step) {
    target.Reveal(top);
    target.Reveal(bottom);
    target.Reveal(right);
    target.Reveal(left);
    Move(left, RevealDirection::kRight, sh);
    Move(top, RevealDirection::kDown, sv);
    Move(right, RevealDirection::kLeft, sh);
    Move(bottom, RevealDirection::kUp, sv);
    if (!target.EndStep(pace.pause)) return false;
  }
  return true;
}

bool RevealIrisOpen(const RevealBox& a, int cy, int cx, int sv, int sh, RevealPace pace,
                    RevealTarget& target) {
  RevealBox box{cy - sv, cx - sh, cy + sv, cx + sh};
  for (int step = 0; step < pace.steps; ++step) {
    box = Clipped(box, a);
    target.Reveal(box);
    box = RevealBox{box.top - sv, box.left - sh, box.bottom + sv, box.right + sh};
    if (!target.EndStep(pace.pause)) return false;
  }
  return true;
}

// The source strip starts at the far edge and shows at the near one: a scroll down shows the
// picture's bottom strip at the top; both grow by s a step.
bool RevealScroll(const RevealBox& a, RevealDirection direction, int s, RevealPace pace,
                  RevealTarget& target) {
  RevealBox source = LeadingStrip(a, Opposite(direction), s);
  RevealBox destination = LeadingStrip(a, direction, s);
  for (int step = 0; step < pace.steps; ++step) {
    target.Reveal(source, destination);
    Deepen(source, Opposite(direction), s);
    Deepen(destination, direction, s);
    if (!target.EndStep(pace.pause)) return false;
  }
  return true;
}

bool RevealWipe(const RevealBox& a, RevealDirection direction, int s, RevealPace pace,
                RevealTarget& target) {
  RevealBox band = LeadingStrip(a, direction, s);
  for (int step = 0; step < pace.steps; ++step) {
    target.Reveal(band);
    Move(band, direction, s);
    if (!target.EndStep(pace.pause)) return false;
  }
  return true;
}

}  // namespace lw
