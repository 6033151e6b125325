// The Save-As dialog.
#include "forms/Unit_InputBox.h"

#include <vector>

#include "core/prompts/MessageBoxPort.h"
#include "core/book/SayCollection.h"
#include "forms/ControlIds.h"

namespace parlo {

namespace {

constexpr char kCaption[] = "Save this \"Says\" as...";
// MS P Gothic, as Shift-JIS bytes.
constexpr FontSpec kFont{"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", -12,
                         SHIFTJIS_CHARSET, false};

const ControlSpec kLayout[] = {
    {IDC_INPUT_LABEL1, ControlKind::Label, 0, 8, 9, 111, 12, kCaption, -1, true, nullptr},
    {IDC_INPUT_EDIT_TEXT, ControlKind::Edit, 0, 8, 27, 217, 20, nullptr, 0, true, nullptr},
    {IDOK, ControlKind::DefaultButton, 0, 70, 59, 75, 25, "OK", 1, true, nullptr},
    {IDCANCEL, ControlKind::Button, 0, 150, 59, 75, 25, "Cancel", 2, true, nullptr},
};

}  // namespace

TForm_InputBox::TForm_InputBox(Bytes sayDir, FileStore* files, MessageBoxFunction showBox,
                               LeadByteTest isLeadByte)
    : ModalForm(Frame{PARLO_CLASS_INPUTBOX, kCaption, 233, 93, true, kFont, kLayout,
                      sizeof kLayout / sizeof kLayout[0]}),
      sayDir_(std::move(sayDir)),
      files_(files),
      showBox_(std::move(showBox)),
      isLeadByte_(std::move(isLeadByte)) {}

Bytes TForm_InputBox::EditText() const {
  HWND edit = Control(IDC_INPUT_EDIT_TEXT);
  int length = GetWindowTextLengthA(edit);
  if (length <= 0) return Bytes();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextA(edit, buffer.data(), length + 1);
  return Bytes(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void TForm_InputBox::OKBtnClick() {
  const Bytes text = EditText();
  // A separator would put the book outside the folder, and other characters the file system
  // rejects would only fail later as an obscure save error.
  Bytes problem = SaveAsNameProblem(text, sayDir_, isLeadByte_);
  if (problem.empty() && files_ && SayFileTaken(*files_, sayDir_, text, isLeadByte_))
    problem = "That file already exists";
  if (!problem.empty()) {
    OwnedMessageBoxes(showBox_, Handle()).Show(problem, "Parlo", kMbOk | kMbIconWarning);
    // Straight back to the name, ready to be typed over.
    HWND edit = Control(IDC_INPUT_EDIT_TEXT);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return;
  }
  text_ = text;
  SetModalResult(IDOK);
}

void TForm_InputBox::OnCommand(int id, int code, HWND control) {
  if (id == IDOK) {
    if (code == BN_CLICKED) OKBtnClick();
    return;
  }
  ModalForm::OnCommand(id, code, control);
}

}  // namespace parlo
