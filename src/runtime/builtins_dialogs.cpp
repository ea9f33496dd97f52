#include "runtime/builtins_dialogs.h"

#include <optional>
#include <string>
#include <string_view>

#include "resources/program_resources.h"
#include "shell/dialogs/text_dialog.h"

namespace lw {
namespace {

// The text-entry dialog asks a question: it shares the question box's caption.
constexpr int kQuestionCaptionText = 153;
constexpr std::string_view kQuestionCaption = "Question";
constexpr std::uint8_t kDrawStringColour = 0;

// Reads the one text argument of a box built-in.
ScriptError OneText(BuiltinCall& c, PString& text) {
  Value t;
  LW_TRY(c.args(t));
  LW_TRY(NeedText(t));
  return c.text(t, text);
}

// notedialog(t): shows t in the information box.
ScriptError NoteDialog(BuiltinCall& c, DialogServices& s) {
  PString text;
  LW_TRY(OneText(c, text));
  InfoBox(s.boxes, text.view());
  return ScriptError::None;
}

// questiondialog(t): asks t in the question box; true for Yes.
ScriptError QuestionDialog(BuiltinCall& c, DialogServices& s) {
  PString text;
  LW_TRY(OneText(c, text));
  *c.result = Value::Logic(QuestionBox(s.boxes, text.view()) == 1);
  return ScriptError::None;
}

// textdialog(t, u): the text the player enters after the prompt t, starting from u; the empty
// text when cancelled.
ScriptError TextDialog(BuiltinCall& c, DialogServices& s) {
  Value v[2];
  PString prompt, initial;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  LW_TRY(c.text(v[0], prompt));
  LW_TRY(c.text(v[1], initial));
  const TextDialogRequest request{
      std::string(StringTableText(kQuestionCaptionText).value_or(kQuestionCaption)), prompt.str(),
      initial.str()};
  const std::optional<std::string> entered = ShowTextDialog(s.boxes.canvas(), request);
  return c.returnText(entered.value_or(std::string()));
}

// drawstring(t, p, a, b): draws t at stage point p in font a, size b and colour 0.
ScriptError DrawString(BuiltinCall& c, DialogServices& s) {
  Value v[4];
  std::int32_t packed = 0, font = 0, size = 0;
  PString text;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(BuiltinCall::number(v[1], packed));
  LW_TRY(BuiltinCall::number(v[2], font));
  LW_TRY(BuiltinCall::number(v[3], size));
  LW_TRY(c.text(v[0], text));

  StageWindow* stage = s.stage();
  if (stage == nullptr || stage->window() == nullptr) return ScriptError::None;
  // Between begin and end drawing the stage window's port is current with the stage origin.
  stage->handle(WindowMessage(window_message::kBeginDrawing));
  Graphics& graphics = s.graphics;
  graphics.SetPenMode(Port::kPenCopy);
  const Point at = UnpackPoint(packed);
  graphics.MoveTo(at.h, at.v);
  graphics.SetTextFont(font);
  graphics.SetTextSize(size);
  graphics.SetForeColor(kDrawStringColour);
  graphics.DrawString(text.view());
  stage->handle(WindowMessage(window_message::kEndDrawing));
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr ScriptError kType = ScriptError::BadArgumentType;

constexpr BuiltinEntry<DialogServices> kDialogBuiltins[] = {
    {"notedialog",
     kCommand,
     NoteDialog,
     {"t: text",
      "",
      {kType},
      "Shows t in an information box with an OK button and waits until the player closes it."}},
    {"questiondialog",
     kFunction,
     QuestionDialog,
     {"t: text",
      "logic",
      {kType},
      "Asks t in a question box with Yes and No buttons; true when the player answers Yes."}},
    {"textdialog",
     kFunction,
     TextDialog,
     {"t: text, u: text",
      "text",
      {kType, ScriptError::StringLibraryExhausted},
      "Asks for a line of text in a dialog drawn on the screen, with prompt t and starting text u; "
      "the text entered, or the empty text when the player cancels."}},
    {"drawstring",
     kCommand,
     DrawString,
     {"t: text, p: point, font: number, size: number",
      "",
      {kType},
      "Draws text t in colour 0 on the stage, its baseline starting at stage point p, in font "
      "number font at size points."}},
};

}  // namespace

void WireDialogBuiltins(BuiltinTable& table, DialogServices& services) {
  table.wire<kDialogBuiltins>(services);
}
void DescribeDialogBuiltins(BuiltinTable& catalog) { catalog.describe<kDialogBuiltins>(); }

}  // namespace lw
