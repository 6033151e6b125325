// Hot keys written at the end of say lines' labels: binding them for the open book, and saying
// a line when its key is pressed.
#include "core/book/LineHotKeys.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"

namespace parlo {

void TForm_Main::BindBookHotKeys() {
  // A reload retries every key, so a key another program has let go of since works again.
  lineHotKeys_.ReleaseAll(HotKeys());
  const std::vector<LineBinding> lines = ChooseBindings(
      grid_.Model(), services_.leadBytes, BardLineKey(BardHotKey{BardAlt, BardCtrl, BardShift, BardKey}));
  YieldQuickSayKey(lines);
  const LineHotKeys::BindResult result = lineHotKeys_.Bind(HotKeys(), lines);
  BindQuickSayKey(lines, false);
  if (result.refused.empty()) return;
  OwnedMessageBoxes(services_.messageBox, nullptr)
      .Show(LineHotKeysTakenMessage(result.refused), kLineHotKeysTakenCaption, kMbOk | kMbIconWarning);
}

void TForm_Main::RebindLineHotKeys() {
  const std::vector<LineBinding> lines = ChooseBindings(
      grid_.Model(), services_.leadBytes, BardLineKey(BardHotKey{BardAlt, BardCtrl, BardShift, BardKey}));
  YieldQuickSayKey(lines);
  const LineHotKeys::BindResult result = lineHotKeys_.Bind(HotKeys(), lines);
  BindQuickSayKey(lines, false);
  // The grid shows refused keys struck through; a box while the player edits would be a nuisance.
  for (int row : result.changedRows) grid_.InvalidateCell(kColLabel, row);
}

void TForm_Main::ReleaseLineHotKeys() {
  lineHotKeys_.ReleaseAll(HotKeys());
}

void TForm_Main::OnLineHotKey(int id) {
  // As with the Bard key: the line said is the one the player sees, an edit in progress included.
  grid_.EndEdit(true);
  // Rows may have moved without a word to us; the key goes to the row that holds it now.
  RebindLineHotKeys();
  const LineBinding* binding = lineHotKeys_.Find(id);
  if (!binding || !IsSayRow(binding->row)) return;
  SendSay(grid_.Model().Text(binding->row), Checked(IDC_CHECKBOX_YELL), Checked(IDC_CHECKBOX_PASTE));
}

Bytes TForm_Main::LabelKeyTipOf(int row) {
  if (!IsSayRow(row)) return {};
  const std::optional<LabelKey> key =
      ParseLabelKey(grid_.Model().CellView(kColLabel, row), services_.leadBytes);
  if (!key) return {};
  const std::optional<LineKey> bard = BardLineKey(BardHotKey{BardAlt, BardCtrl, BardShift, BardKey});
  return LineKeyTip(key->key, lineHotKeys_.Trouble(key->key, row, bard));
}

LabelKeyPart TForm_Main::LabelKeyPartOf(int row) {
  if (!IsSayRow(row)) return {};
  const std::optional<LabelKey> key =
      ParseLabelKey(grid_.Model().CellView(kColLabel, row), services_.leadBytes);
  if (!key) return {};
  return {key->open, lineHotKeys_.Works(key->key, row)};
}

}  // namespace parlo
