#pragma once
#include <windows.h>

#include "core/settings/AppPaths.h"
#include "core/text/Bytes.h"
#include "core/files/FileStore.h"
#include "forms/ModalForm.h"
#include "platform/Win32MessageBox.h"

namespace parlo {

// The Save-As dialog: asks for the name of a new phrase book and closes with OK only when the
// name can become a say file that does not exist yet.
class TForm_InputBox : public ModalForm {
 public:
  // sayDir is the main window's folder of say files; files answers whether a name is taken (no
  // store: nothing is taken). Warnings go through showBox, owned by the dialog.
  TForm_InputBox(Bytes sayDir, FileStore* files, MessageBoxFunction showBox, LeadByteTest isLeadByte);

  // The name typed, as it stood when OK closed the dialog.
  const Bytes& Text() const { return text_; }

  void OKBtnClick();

 protected:
  void OnCommand(int id, int code, HWND control) override;

 private:
  Bytes EditText() const;

  Bytes sayDir_;
  FileStore* files_;
  MessageBoxFunction showBox_;
  LeadByteTest isLeadByte_;
  Bytes text_;
};

}  // namespace parlo
