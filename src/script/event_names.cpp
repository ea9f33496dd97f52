#include "script/event_names.h"

#include <array>

#include "script/fold.h"

namespace lw {
namespace {

constexpr std::array<std::string_view, kEventHandlerNameCount> kEventHandlerNames = {
    "opencast",   "openactor",  "closecast",  "closeactor",  "openflat",  "openstage", "closeflat",
    "closestage", "endwalk",    "endturn",    "endball",     "endloop",   "openshop",  "openprop",
    "closeshop",  "closeprop",  "openpuppet", "closepuppet", "menustate", "boot",      "idle",
    "menuselect", "keydown",    "keyrepeat",  "mousedown",   "openset",   "openfloor", "openscene",
    "closeset",   "closefloor", "closescene",
};

}  // namespace

bool IsEventHandlerName(std::string_view name) {
  for (std::string_view event : kEventHandlerNames) {
    if (FoldEqual(event, name)) return true;
  }
  return false;
}

}  // namespace lw
