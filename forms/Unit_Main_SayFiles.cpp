// The say files: loading, saving, the list of books, switching, Save As and Delete.
#include <vector>

#include "core/book/SayCollection.h"
#include "core/book/SayFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/Settings.h"
#include "forms/ControlIds.h"
#include "forms/Unit_InputBox.h"
#include "forms/Unit_Main.h"

namespace parlo {

namespace {

// Counts a load or save in progress for as long as it runs, however it ends.
class Busy {
 public:
  explicit Busy(int& count) : count_(count) { ++count_; }
  ~Busy() { --count_; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  int& count_;
};

Bytes ComboItem(HWND combo, int index) {
  LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length <= 0) return Bytes();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  LRESULT got =
      SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  if (got == CB_ERR || got < 0) return Bytes();
  return Bytes(buffer.data(), static_cast<size_t>(got));
}

}  // namespace

std::unique_ptr<BookReadAhead> ReadStartBookAhead(const MainServices& services) {
  if (!services.files || !services.profile) return nullptr;
  const LeadByteTest isLead = [&services](unsigned char b) { return services.leadBytes.IsLead(b); };
  const Bytes lastOpen = ReadLastOpen(TIniFile(IniFileNameFor(services.exePath, isLead), *services.profile));
  if (lastOpen.empty()) return nullptr;
  // The file behind the entry OpenInitialBook selects for LastOpen; a guess that misses is
  // dropped by the load, which reads the book it opens.
  const Bytes path = SayDirFor(services.exePath, isLead) + SayFileNameFor(DisplayNameOf(lastOpen));
  return ReadBookAhead(*services.files, services.codePage, path);
}

// Without a file store (a window made for other tests) there is no disk: loading gives the named
// empty book and saving writes nothing.

SayFiles TForm_Main::MakeSayFiles(MessageBoxPort& prompt) {
  SayFiles sayFiles(*services_.files, prompt, SayDir, FallbackSayFileFor(services_.exePath, IsLeadByte()));
  sayFiles.UseCodePage(services_.codePage);
  sayFiles.Track(&onDisk_);
  return sayFiles;
}

bool TForm_Main::LoadSayFile(const Bytes& name) {
  // An open cell editor belongs to the book being left; it must not spill into the next one.
  grid_.EndEdit(true);
  bool result = true;
  if (services_.files) {
    Busy busy(fileWork_);
    // The retry prompts belong to the whole application.
    OwnedMessageBoxes prompt(services_.messageBox, nullptr);
    SayFiles sayFiles = MakeSayFiles(prompt);
    if (services_.readAhead) {
      sayFiles.UseReadAhead(services_.readAhead());
      services_.readAhead = nullptr;
    }
    result = sayFiles.LoadSayFile(grid_.Model(), CurrentFile, name);
  } else {
    ClearSays();
    CurrentFile = name;
  }
  BindBookHotKeys();
  grid_.InvalidateGrid();
  return result;
}

bool TForm_Main::SaveSayFile(const Bytes& name, bool atExit) {
  // What is being typed in a cell is part of the book (closing the window does not take the
  // focus from the editor first).
  grid_.EndEdit(true);
  if (!services_.files) return true;
  Busy busy(fileWork_);
  OwnedMessageBoxes prompt(services_.messageBox, nullptr);
  SayFiles sayFiles = MakeSayFiles(prompt);
  return atExit ? sayFiles.SaveSayFileAtExit(grid_.Model(), name) : sayFiles.SaveSayFile(grid_.Model(), name);
}

void TForm_Main::CheckOutsideChange() {
  // Not under a prompt or dialog of ours, not during the exit, and not while a cell is typed in.
  if (!services_.files || closing_ || fileWork_ > 0 || !IsWindowEnabled(Handle()) || grid_.IsEditing())
    return;
  OwnedMessageBoxes prompt(services_.messageBox, nullptr);
  if (MakeSayFiles(prompt).CheckOutsideChange(grid_.Model(), CurrentFile) ==
      SayFiles::OutsideChange::kReloaded) {
    BindBookHotKeys();
    grid_.InvalidateGrid();
  }
}

bool TForm_Main::DeleteSayFile() {
  return services_.files && parlo::DeleteSayFile(*services_.files, SayDir, CurrentFile);
}

void TForm_Main::RefreshFileList() {
  std::vector<Bytes> names;
  if (services_.files) names = services_.files->List(SayDir, kSayWildcard);

  // The hidden list keeps the file names as the directory gives them.
  HWND list = Control(IDC_FILELISTBOX_SAY);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const Bytes& name : names) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));

  HWND combo = Control(IDC_COMBOBOX_FILES);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const Bytes& name : names) {
    const Bytes display = DisplayNameOf(name);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display.c_str()));
  }
}

std::vector<Bytes> TForm_Main::BookEntries() const {
  HWND combo = Control(IDC_COMBOBOX_FILES);
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  std::vector<Bytes> entries;
  for (int i = 0; i < count; ++i) entries.push_back(ComboItem(combo, i));
  return entries;
}

int TForm_Main::FindFileIndex(const Bytes& name) {
  return parlo::FindFileIndex(BookEntries(), name);
}

void TForm_Main::ComboBox_FilesChange() {
  if (!CurrentFile.empty()) SaveSayFile(CurrentFile);
  HWND combo = Control(IDC_COMBOBOX_FILES);
  LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  const Bytes shown = selected == CB_ERR ? Bytes() : ComboItem(combo, static_cast<int>(selected));
  LoadSayFile(SayFileNameFor(shown));
}

void TForm_Main::Button_SaveClick() {
  grid_.EndEdit(true);
  {
    TForm_InputBox box(SayDir, services_.files, services_.messageBox, IsLeadByte());
    if (box.ShowModal(Handle()) == IDOK) {
      const Bytes n = SayFileNameFor(box.Text());
      // When the book could not be written under the new name, it stays open under its old one
      // rather than being replaced by whatever the switch below would load.
      if (SaveSayFile(n)) {
        RefreshFileList();
        SendMessageA(Control(IDC_COMBOBOX_FILES), CB_SETCURSEL, static_cast<WPARAM>(FindFileIndex(n)), 0);
        CurrentFile.clear();
        ComboBox_FilesChange();
      }
    }
  }
  ApplyStayOnTop();
}

void TForm_Main::Button1Click() {
  grid_.EndEdit(true);
  if (OwnedMessageBoxes(services_.messageBox, Handle())
          .Show("Delete this file?", "Parlo", kMbYesNo | kMbIconQuestion) != kIdYes)
    return;
  DeleteSayFile();
  RefreshFileList();
  CurrentFile.clear();
  HWND combo = Control(IDC_COMBOBOX_FILES);
  if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    ComboBox_FilesChange();
  } else {
    ClearSays();
    grid_.InvalidateGrid();
  }
}

void TForm_Main::OpenInitialBook() {
  RefreshFileList();
  HWND combo = Control(IDC_COMBOBOX_FILES);
  if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
    if (!lastOpen_.empty())
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(FindFileIndex(lastOpen_)), 0);
    if (SendMessageA(combo, CB_GETCURSEL, 0, 0) == CB_ERR) SendMessageA(combo, CB_SETCURSEL, 0, 0);
    ComboBox_FilesChange();
  } else {
    ClearSays();
    grid_.InvalidateGrid();
  }
}

}  // namespace parlo
