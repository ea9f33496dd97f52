// The eleven kinds of title object and what the runtime says of each: the title of its scripts
// and of the messages the runtime sends it (shown in error reports), and the stored texts of its
// open and close event messages. A kind's layer finds its row here; the message machinery
// (script_chain.h, event_message.h) is the same for all.
//
//   KIND    SCRIPT TITLE        MESSAGE TITLE       EVENT FORM   OPEN / CLOSE STORED TEXT
//   stage   "Stage Script: "    "Stage Message: "   call alone   openstage() / closestage()
//   flat    "Flat Script: "     "Flat Message: "    quoted name  ", openflat() / ", closeflat()
//   button  "Button Script: "   -                   -            -
//   cast    "Cast Script: "     "Cast Message: "    quoted name  ", opencast() / ", closecast()
//   actor   "Actor Script: "    "Actor Message: "   quoted name  ", openactor() / ", closeactor()
//   shop    "Shop Script: "     "Shop Message: "    quoted name  ", openshop() / ", closeshop()
//   prop    "Prop Script: "     "Prop Message: "    quoted name  ", openprop() / ", closeprop()
//   set     "Set Script: "      "Set Message: "     call alone   openset() / closeset()
//   floor   "Floor Script: "    "Floor Message: "   number       , openfloor() / , closefloor()
//   scene   "Scene Script: "    "Scene Message: "   quoted name  ", openscene() / ", closescene()
//   puppet  "Puppet Script: "   "Puppet Message: "  quoted name  ", openpuppet() / ", closepuppet()
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lw {

enum class ObjectKind : std::uint8_t {
  kStage,
  kFlat,
  kButton,
  kCast,
  kActor,
  kShop,
  kProp,
  kSet,
  kFloor,
  kScene,
  kPuppet,
};

// How an event message names its object before the stored text.
enum class EventForm : std::uint8_t {
  kNone,        // the kind gets no event messages
  kCallAlone,   // single kinds: the handler call alone
  kQuotedName,  // a double quote and the name; the stored text closes the quote
  kNumber,      // the object's number as decimal text
};

struct ObjectKindInfo {
  ObjectKind kind;
  std::string_view name;  // what `hittest` leaves in the result text
  std::string_view scriptTitle;
  std::string_view messageTitle;
  EventForm form;
  std::string_view openText;
  std::string_view closeText;
};

// clang-format off
inline constexpr std::array<ObjectKindInfo, 11> kObjectKinds = {{
    {ObjectKind::kStage,  "stage",  "Stage Script: ",  "Stage Message: ",  EventForm::kCallAlone,  "openstage()",     "closestage()"},
    {ObjectKind::kFlat,   "flat",   "Flat Script: ",   "Flat Message: ",   EventForm::kQuotedName, "\", openflat()",   "\", closeflat()"},
    {ObjectKind::kButton, "button", "Button Script: ", "",                 EventForm::kNone,       "",                 ""},
    {ObjectKind::kCast,   "cast",   "Cast Script: ",   "Cast Message: ",   EventForm::kQuotedName, "\", opencast()",   "\", closecast()"},
    {ObjectKind::kActor,  "actor",  "Actor Script: ",  "Actor Message: ",  EventForm::kQuotedName, "\", openactor()",  "\", closeactor()"},
    {ObjectKind::kShop,   "shop",   "Shop Script: ",   "Shop Message: ",   EventForm::kQuotedName, "\", openshop()",   "\", closeshop()"},
    {ObjectKind::kProp,   "prop",   "Prop Script: ",   "Prop Message: ",   EventForm::kQuotedName, "\", openprop()",   "\", closeprop()"},
    {ObjectKind::kSet,    "set",    "Set Script: ",    "Set Message: ",    EventForm::kCallAlone,  "openset()",        "closeset()"},
    {ObjectKind::kFloor,  "floor",  "Floor Script: ",  "Floor Message: ",  EventForm::kNumber,     ", openfloor()",    ", closefloor()"},
    {ObjectKind::kScene,  "scene",  "Scene Script: ",  "Scene Message: ",  EventForm::kQuotedName, "\", openscene()",  "\", closescene()"},
    {ObjectKind::kPuppet, "puppet", "Puppet Script: ", "Puppet Message: ", EventForm::kQuotedName, "\", openpuppet()", "\", closepuppet()"},
}};
// clang-format on

static_assert(
    [] {
      for (std::size_t i = 0; i < kObjectKinds.size(); ++i)
        if (static_cast<std::size_t>(kObjectKinds[i].kind) != i) return false;
      return true;
    }(),
    "the kinds are listed in enum order");

constexpr const ObjectKindInfo& KindInfo(ObjectKind kind) {
  return kObjectKinds[static_cast<std::size_t>(kind)];
}

}  // namespace lw
