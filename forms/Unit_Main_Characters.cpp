// Books of characters: following the character in front, and telling when one is not in the game.
#include <algorithm>
#include <vector>

#include "core/book/SayCollection.h"
#include "core/game/Character.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"

namespace parlo {

namespace {

constexpr const char kMainCaption[] = "Parlo!";

std::vector<Bytes> Sorted(std::vector<Bytes> names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

void TForm_Main::NoteCharactersInGame(const std::vector<TopLevelWindow>& windows) {
  GameChoice books;
  books.lower = lower_;
  for (const Bytes& entry : BookEntries()) {
    Bytes character = CharacterOfBook(entry);
    if (!character.empty()) books.characters.push_back(std::move(character));
  }
  if (books.characters.empty() || !services_.game) return;
  for (const Bytes& character :
       CharactersInGame(windows, books, services_.leadBytes, services_.game->OwnProcessId())) {
    bool known = false;
    for (const Bytes& seen : seenCharacters_) known = known || SameName(seen, character, lower_, services_.leadBytes);
    if (!known) seenCharacters_.push_back(character);
  }
}

void TForm_Main::ApplyFollowCharacter() {
  if (!services_.foreground) return;
  if (!FollowCharacter) {
    services_.foreground->Stop();
    return;
  }
  // Handled from the message loop, outside whatever the system was doing when it told.
  HWND self = Handle();
  services_.foreground->Watch([self](WindowRef window) {
    PostMessageA(self, kForegroundMessage, 0, static_cast<LPARAM>(window));
  });
}

void TForm_Main::OnForegroundChanged(WindowRef window) {
  const WindowRef brought = lineWindow_;
  lineWindow_ = 0;
  // Not during the exit, a load or save (its prompt may be up), a dialog of ours, or a line.
  if (!FollowCharacter || !services_.game || closing_ || destroyed_ || fileWork_ > 0 ||
      !IsWindowEnabled(Handle()) || delivery_.Busy())
    return;
  const std::vector<TopLevelWindow> windows = services_.game->TopLevelWindows();
  auto front = std::find_if(windows.begin(), windows.end(),
                            [window](const TopLevelWindow& w) { return w.handle == window; });
  if (front == windows.end()) return;
  const std::uint32_t own = services_.game->OwnProcessId();
  if (front->processId == own || !IsGameClient(*front, lower_, services_.leadBytes)) return;

  // Books made or deleted outside since the list was filled: the list as the folder holds it.
  if (services_.files) {
    std::vector<Bytes> onDisk = ListSayFiles(*services_.files, SayDir);
    if (Sorted(std::move(onDisk)) != Sorted(BookEntries())) {
      RefreshFileList();
      SendMessageA(Control(IDC_COMBOBOX_FILES), CB_SETCURSEL, static_cast<WPARAM>(FindFileIndex(CurrentFile)), 0);
    }
  }
  const std::vector<Bytes> entries = BookEntries();
  std::vector<Bytes> characters;
  for (const Bytes& entry : entries) characters.push_back(CharacterOfBook(entry));
  NoteCharactersInGame(windows);
  std::optional<std::size_t> open;
  const int openIndex = CurrentFile.empty() ? -1 : FindFileIndex(CurrentFile);
  if (openIndex >= 0) open = static_cast<std::size_t>(openIndex);
  const std::optional<std::size_t> book = FollowForeground(follow_, *front, own, brought == window, characters,
                                                           open, lower_, services_.leadBytes);
  if (!book) return;
  // As a switch in the list: the open book saved first, with the same prompts.
  SendMessageA(Control(IDC_COMBOBOX_FILES), CB_SETCURSEL, static_cast<WPARAM>(*book), 0);
  ComboBox_FilesChange();
}

void TForm_Main::ShowNotInGame(const Bytes& character) {
  // In the title, not a box: a box would take the keyboard from the game.
  const Bytes title = Bytes(kMainCaption) + " - " + character + " is not in the game";
  SetWindowTextA(Handle(), title.c_str());
  SetTimer(Handle(), kTitleTimer, kNotInGameMs, nullptr);
}

void TForm_Main::RestoreTitle() {
  KillTimer(Handle(), kTitleTimer);
  SetWindowTextA(Handle(), kMainCaption);
}

}  // namespace parlo
