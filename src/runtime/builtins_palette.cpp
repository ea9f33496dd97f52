#include "runtime/builtins_palette.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "resources/program_resources.h"
#include "script/fold.h"
#include "shell/drawing/colour_table.h"

namespace lw {
namespace {

constexpr std::string_view kPaletteType = "CLUT";
constexpr std::string_view kCurrentPaletteText = "current";
constexpr std::string_view kStagePaletteText = "stage";
constexpr std::string_view kPuppetPaletteText = "puppet";
// Entry numbers and the mix factor are kept within one byte.
constexpr std::int32_t kByteMax = 255;
constexpr std::int32_t kFullMix = 255;

// A palette argument is a number or a text.
ScriptError NeedPaletteName(const Value& v) {
  return v.isNumber() || v.isText() ? ScriptError::None : ScriptError::BadArgumentType;
}

// The colour table resource `name`; ResourceNotFound when there is none (or it is no table).
ScriptError LoadPaletteResource(const std::string& name, ColourTable& out) {
  const auto bytes = FindRawResource(name);
  if (!bytes) return ScriptError::ResourceNotFound;
  auto table = DecodeColourTable16(*bytes);
  if (!table) return ScriptError::ResourceNotFound;
  out = *table;
  return ScriptError::None;
}

// The palette that the argument `v` names (a text argument is read).
ScriptError PaletteOf(BuiltinCall& c, const PaletteServices& s, const Value& v, ColourTable& out) {
  if (v.isNumber()) return LoadPaletteResource(NumberedResourceName(kPaletteType, v.payload), out);
  PString name;
  LW_TRY(c.text(v, name));
  if (FoldEqual(name.view(), kCurrentPaletteText)) {
    out = s.palettes.currentPalette();
    return ScriptError::None;
  }
  if (FoldEqual(name.view(), kStagePaletteText) && s.stagePalette) {
    const ScriptError e = s.stagePalette(out);
    if (e != ScriptError::StageLibOpenClose) return e;
  }
  if (FoldEqual(name.view(), kPuppetPaletteText) && s.puppetPalette) {
    const ScriptError e = s.puppetPalette(out);
    if (e != ScriptError::PuppetAlreadyOpen) return e;
  }
  // "set" would give the open set's palette; set files hold none, so it is a resource name like
  // any other text.
  return LoadPaletteResource(NamedResourceName(kPaletteType, name.view()), out);
}

// One 16-bit channel mixed from `from` toward `to` by mix / 255, truncated toward zero.
std::uint16_t MixChannel(std::uint16_t from, std::uint16_t to, std::int32_t mix) {
  const std::int32_t start = from;
  return static_cast<std::uint16_t>(start +
                                    (static_cast<std::int32_t>(to) - start) * mix / kFullMix);
}

// clut(c): makes the palette c the screen palette.
ScriptError Clut(BuiltinCall& c, PaletteServices& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedPaletteName(v));
  ColourTable palette;
  LW_TRY(PaletteOf(c, s, v, palette));
  s.palettes.SetCurrentPalette(palette);
  return ScriptError::None;
}

// mixclut(c1, c2, f, l, m): entries f..l of c1 mixed toward c2 by m / 255 become the palette.
ScriptError MixClut(BuiltinCall& c, PaletteServices& s) {
  Value v[5];
  std::int32_t first = 0, last = 0, mix = 0;
  LW_TRY(c.args(v));
  LW_TRY(NeedPaletteName(v[0]));
  LW_TRY(NeedPaletteName(v[1]));
  LW_TRY(BuiltinCall::number(v[2], first));
  LW_TRY(BuiltinCall::number(v[3], last));
  LW_TRY(BuiltinCall::number(v[4], mix));
  ColourTable mixed, toward;
  LW_TRY(PaletteOf(c, s, v[0], mixed));
  LW_TRY(PaletteOf(c, s, v[1], toward));
  first = std::clamp(first, 0, kByteMax);
  last = std::clamp(last, 0, kByteMax);
  mix = std::clamp(mix, 0, kFullMix);
  for (std::int32_t i = first; i <= last; ++i) {
    Rgb16& entry = mixed.entries[static_cast<std::size_t>(i)];
    const Rgb16& target = toward.entries[static_cast<std::size_t>(i)];
    entry = {MixChannel(entry.red, target.red, mix), MixChannel(entry.green, target.green, mix),
             MixChannel(entry.blue, target.blue, mix)};
  }
  s.palettes.SetCurrentPalette(mixed);
  return ScriptError::None;
}

// Reads the palette and the step count of a fade.
ScriptError FadeArguments(BuiltinCall& c, const PaletteServices& s, ColourTable& palette,
                          std::int32_t& steps) {
  Value v[2];
  LW_TRY(c.args(v));
  LW_TRY(NeedPaletteName(v[0]));
  LW_TRY(BuiltinCall::number(v[1], steps));
  return PaletteOf(c, s, v[0], palette);
}

// screentoblack(c, n): fades from c to black in n steps.
ScriptError ScreenToBlack(BuiltinCall& c, PaletteServices& s) {
  ColourTable palette;
  std::int32_t steps = 0;
  LW_TRY(FadeArguments(c, s, palette, steps));
  s.palettes.FadeToBlack(palette, steps);
  return ScriptError::None;
}

// blacktoscreen(c, n): fades from black to c in n steps.
ScriptError BlackToScreen(BuiltinCall& c, PaletteServices& s) {
  ColourTable palette;
  std::int32_t steps = 0;
  LW_TRY(FadeArguments(c, s, palette, steps));
  s.palettes.FadeFromBlack(palette, steps);
  return ScriptError::None;
}

// blackscreen(): the whole screen canvas black.
ScriptError BlackScreen(BuiltinCall& /*c*/, PaletteServices& s) {
  Screen& screen = s.screen;
  Surface& canvas = screen.canvas();
  for (int y = 0; y < canvas.height(); ++y)
    std::memset(canvas.row(y), Port::kBlack, static_cast<std::size_t>(canvas.width()));
  screen.markDirty(screen.rect());
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoPalette = ScriptError::ResourceNotFound;

constexpr BuiltinEntry<PaletteServices> kPaletteBuiltins[] = {
    {"clut",
     kCommand,
     Clut,
     {"c: number|text",
      "",
      {kType, kNoPalette},
      "Makes palette c the screen palette: n is resource CLUTn, \"current\" the palette now "
      "shown, \"stage\" the open stage's own, a text t resource CLUT.T."}},
    {"mixclut",
     kCommand,
     MixClut,
     {"c1: number|text, c2: number|text, f: number, l: number, m: number",
      "",
      {kType, kNoPalette},
      "Shows palette c1 with entries f to l moved m/255 of the way toward palette c2 (f, l and m "
      "within 0..255)."}},
    {"screentoblack",
     kCommand,
     ScreenToBlack,
     {"c: number|text, n: number",
      "",
      {kType, kNoPalette},
      "Fades the screen from palette c to black in n steps a tick apart; n below 1 does "
      "nothing."}},
    {"blacktoscreen",
     kCommand,
     BlackToScreen,
     {"c: number|text, n: number",
      "",
      {kType, kNoPalette},
      "Fades the screen from black to palette c in n steps a tick apart; n below 1 does "
      "nothing."}},
    {"blackscreen",
     kCommand,
     BlackScreen,
     {"", "", {}, "Fills the whole screen with colour 0, black in every palette."}},
};

}  // namespace

void WirePaletteBuiltins(BuiltinTable& table, PaletteServices& services) {
  table.wire<kPaletteBuiltins>(services);
}
void DescribePaletteBuiltins(BuiltinTable& catalog) { catalog.describe<kPaletteBuiltins>(); }

}  // namespace lw
