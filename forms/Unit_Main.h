#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/settings/AppPaths.h"
#include "core/text/Bytes.h"
#include "core/game/Character.h"
#include "core/game/Delivery.h"
#include "core/game/GameWindow.h"
#include "core/book/GridFind.h"
#include "core/settings/HotKey.h"
#include "core/text/LeadBytes.h"
#include "core/book/LineHotKeys.h"
#include "core/prompts/MessageBoxPort.h"
#include "core/book/QuickSay.h"
#include "core/book/SayFile.h"
#include "core/settings/Settings.h"
#include "core/text/TextCoding.h"
#include "forms/FindBox.h"
#include "forms/Layout.h"
#include "forms/PhraseGridControl.h"
#include "forms/QuickSayBox.h"
#include "forms/Window.h"
#include "platform/Win32MessageBox.h"
#include "platform/Win32Module.h"
#include "platform/Win32OpenDialog.h"

namespace parlo {

class GamePort;
class ChatSettingsSource;
class FileStore;
class ProfileStore;
class BardRandom;

// Everything outside the program that the main window talks to. The program wires the Win32
// implementations; tests put fakes in their place.
struct MainServices {
  Bytes exePath;                          // full path of the running executable
  LeadBytes leadBytes;                    // of the ANSI code page, read once at start-up
  MessageBoxFunction messageBox = ShowMessageBox;  // every box; a null owner: the whole application
  FileStore* files = nullptr;
  AnsiCodePage* codePage = nullptr;  // none: files with a byte-order mark are read as bytes
  GamePort* game = nullptr;
  ChatSettingsSource* chat = nullptr;     // none: every modern client's chat as the client ships it
  std::function<Bytes()> clipboardText;   // the clipboard's CF_TEXT, empty when it has none
  ProfileStore* profile = nullptr;        // the settings file; none: nothing is read or written
  HotKeyPort* hotKeys = nullptr;          // none: system hot keys bound to the main window
  BardRandom* bardRandom = nullptr;       // none: the program's one generator, never reseeded
  // The Open dialog of the import.
  OpenFileFunction openFile = ShowOpenDialog;
  ForegroundPort* foreground = nullptr;  // none: no book follows the character in front
  // A process's executable, where a modern client keeps its characters' profiles.
  std::function<Bytes(std::uint32_t processId)> processImagePath = ProcessImagePath;
  // Called at the close once the book and the settings are written, before the window goes;
  // the program may end right there.
  std::function<void()> written;
  // The book the player left open, read while the window was being made; asked for once, by
  // the first load, which waits for it. None, or nullptr: every book is read when it is loaded.
  std::function<std::unique_ptr<BookReadAhead>()> readAhead;
};

// The main window and owner of all program state.
class TForm_Main : public Window, public GridEvents {
 public:
  explicit TForm_Main(MainServices services);
  ~TForm_Main() override;

  // Creates the window and its components, then runs FormCreate. An error escaping FormCreate
  // is shown and start-up goes on.
  void Create();
  // Shows the window as the message loop starts (runs FormShow).
  void Show(int showCommand);
  HWND Control(int id) const { return controls_.Get(id); }
  PhraseGridControl& Grid() { return grid_; }
  // FormDestroy has run: the book and the settings are written.
  bool Finished() const { return destroyed_; }

  // Own fields, in declaration order.
  bool Pressing = false;
  Bytes IniFileName;
  Bytes CurrentFile;
  Bytes GameCaption;
  std::unique_ptr<std::vector<Bytes>> CaptionList;
  std::int32_t PressedRow = 0;
  bool StayOnTop = false;
  Bytes SayDir;
  bool BardAlt = false;
  bool BardCtrl = false;
  bool BardShift = false;
  std::uint16_t BardKey = 0;
  // Quick Say's hot key, in the Bard key's form.
  bool QuickSayAlt = false;
  bool QuickSayCtrl = false;
  bool QuickSayShift = false;
  std::uint16_t QuickSayKey = 0;
  // The book of the character whose client comes to the front is opened.
  bool FollowCharacter = true;

  // Lifecycle
  void FormCreate();
  void FormDestroy();
  void FormShow();
  void FormResize();
  void ApplyStayOnTop();
  void Button_AboutClick();

  // Settings, configuration and the Bard hot key
  void Button_ConfigClick();
  void RegisterBardHotKey();
  void UnregisterBardHotKey();
  void OnHotKey(WPARAM id);

  // Delivery
  // Starts the line on its way; while one is under way, the line is dropped, as every press is.
  void SendSay(Bytes text, bool yell, bool pasteOnly);
  // A line is on its way (waiting for the game to come to the front or for the modifiers).
  bool Delivering() const { return delivery_.Busy(); }
  // The line's next look, from its timer.
  void ContinueDelivery();
  // The game window as the player's caption chooses it (what the configuration dialog shows).
  GameChoice GameChoiceFor(const Bytes& caption) const;

  // Characters
  // A window came to the front: a client of a character with a book opens that book.
  void OnForegroundChanged(WindowRef window);
  // Watches the foreground while FollowCharacter is on.
  void ApplyFollowCharacter();
  // Says in the title, for a few seconds, that the character's lines have nowhere to go.
  void ShowNotInGame(const Bytes& character);
  void RestoreTitle();
  static constexpr UINT_PTR kTitleTimer = 2;
  static constexpr UINT kForegroundMessage = WM_APP + 12;  // lParam: the window now in front
  static constexpr UINT kNotInGameMs = 4000;

  // Phrase grid
  bool IsSayRow(int row) const;
  void ClearSays();
  void Button_AddClick();
  void Button_InsertClick();
  void Button_DeleteClick();
  void StringGrid1DrawCell(HDC dc, int col, int row, const RECT& rect) override;
  void StringGrid1MouseDown(MouseButton button, int x, int y) override;
  void StringGrid1MouseMove(int x, int y) override;
  void StringGrid1MouseUp(MouseButton button, int x, int y) override;
  void StringGrid1SelectCell(int col, int row, bool& canSelect) override;
  void StringGrid1SetEditText(int col, int row, const Bytes& value) override;
  void StringGrid1CaptureLost() override;
  void StringGrid1ContextPopup(int screenX, int screenY) override;
  bool StringGrid1KeyDown(UINT vk, bool shift, bool ctrl) override;
  // The grid's context menu as it would show now (the caller destroys it), and its commands.
  HMENU GridMenu();
  void GridMenuCommand(UINT id);

  // Importing lines from the game client's or an assistant's files
  // Asks for a file in the Open dialog, then imports it.
  void ImportLinesClick();
  // Adds the file's lines to the book as a new section and tells the player what came over.
  void ImportLinesFrom(const Bytes& path);
  // Where the Open dialog starts: the profile folder of the character in the modern client Parlo
  // sends to, else the folder of the last import, else Parlo's own.
  Bytes ImportStartFolder() const;

  // Find
  void ShowFind();
  // Ctrl+F, F3 and Shift+F3 pressed anywhere in the window (the grid takes them itself); true
  // when the message was one of them and has been handled.
  bool PreTranslateFindKey(const MSG& msg);
  // Selects the next (or previous) row holding the text, going round; false when there is none.
  bool FindNext(const Bytes& text, bool forward);
  FindBox& Finder() { return find_; }
  LabelKeyPart LabelKeyPartOf(int row) override;
  Bytes LabelKeyTipOf(int row) override;
  void StringGrid1HistoryStep() override { RebindLineHotKeys(); }

  // Hot keys written at the end of labels
  // After a book is loaded: its keys replace the last book's, and the refused ones are told.
  void BindBookHotKeys();
  // After the rows or the Bard key changed: only what changed is registered or released.
  void RebindLineHotKeys();
  void ReleaseLineHotKeys();
  void OnLineHotKey(int id);

  // Quick Say
  // Shows the box over the game window with the book's say lines, or closes it when it shows.
  void OpenQuickSay();
  // The box has closed: the row is said as its gem says it.
  void SayFromQuickSay(int row);
  // Quick Say's key goes to the Bard key and the lines first: before the lines are bound it lets
  // go of a key one of them wants, after it takes its key when that is free. A refusal is told
  // when asked.
  void YieldQuickSayKey(const std::vector<LineBinding>& lines);
  void BindQuickSayKey(const std::vector<LineBinding>& lines, bool tellRefusal);
  void BindQuickSayKey(bool tellRefusal);
  void ReleaseQuickSayKey();
  QuickSayBox& QuickSay() { return quickSay_; }

  // Bard and Paste
  void Button_BardClick();
  void Button_PasteClick();

  // Say files
  bool LoadSayFile(const Bytes& name);
  // atExit: the last save before the program ends, which leaves nothing to look at later.
  bool SaveSayFile(const Bytes& name, bool atExit = false);
  bool DeleteSayFile();
  void RefreshFileList();
  int FindFileIndex(const Bytes& name);
  void ComboBox_FilesChange();
  void Button_SaveClick();
  void Button1Click();
  // Reads the current book again when another program changed its file and the book has not
  // changed in Parlo since; run when the window is activated.
  void CheckOutsideChange();

  static constexpr int kBardHotKeyId = 14;
  static constexpr UINT_PTR kDeliveryTimer = 1;
  // A row is this much (at 96 dpi) higher than one line of the grid font.
  static constexpr int kRowPadding = 4;

  // FormCreate steps 5 to 11 (the settings file) and FormDestroy steps 3 and 4.
  void ReadStartupSettings();
  void WriteSettings();
  // Row height and label column from the grid font as a measuring label shows it.
  void FitGridToFont(HWND measuringLabel);
  // FormCreate step 12: the last open book, else the first, else an empty unnamed one.
  void OpenInitialBook();
  // The book the start-up selection looks for first ("LastOpen" of the settings file).
  void SetLastOpen(Bytes fileName) { lastOpen_ = std::move(fileName); }

  LeadByteTest IsLeadByte() const;
  bool Checked(int checkBoxId) const;
  void SetChecked(int checkBoxId, bool checked);

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateComponents();
  void LayOut();
  // WM_DPICHANGED: the suggested rectangle, then every control, font and grid metric again.
  void OnDpiChanged(int dpi, const RECT& suggested);
  // The send-button glyphs drawn for the dpi.
  void LoadGems(int dpi);
  // The window's bounds at its dpi from bounds as the settings keep them, and back: the size as
  // at 96 dpi, the position in the desktop's one scale.
  WindowBounds BoundsAtDpi(const WindowBounds& layout) const;
  WindowBounds LayoutBounds(const WindowBounds& bounds) const;
  // Brings a window that opened where no monitor shows its caption bar onto the nearest one.
  void KeepReachable();
  // The book list's closed field and its rows at the window's dpi.
  void SizeFileList();
  void OnCommand(int id, int code);
  void Close();
  SayFiles MakeSayFiles(MessageBoxPort& prompt);

  MainServices services_;
  ControlSet controls_;
  PhraseGridControl grid_;
  // The send buttons' glyphs, shown by IDC_IMAGE1 and IDC_IMAGE2.
  Bitmap gem_;
  Bitmap gemPressed_;
  LowerTable lower_;  // the code page's lower-casing, for Find
  FindBox find_;
  bool destroyed_ = false;  // FormDestroy ran (close, or the session ended)
  bool closing_ = false;    // the exit is under way; its retry prompt may be up
  int fileWork_ = 0;        // a load or save is running (its prompt may be up)
  BookOnDisk onDisk_;       // the current book's file as Parlo last read or wrote it
  Bytes lastOpen_;          // "LastOpen" as read at start-up
  Bytes importFolder_;      // the folder of the last file imported from (the settings keep it)
  HWND lastFocus_ = nullptr;  // the control that had the keyboard when the window was left
  // Settings, configuration and the Bard hot key
  HotKeyPort& HotKeys();
  std::unique_ptr<HotKeyPort> ownHotKeys_;  // when the services bring none
  LineHotKeys lineHotKeys_;
  bool elevatedGameTold_ = false;  // the box about a game that refuses our lines was shown
  Delivery delivery_;              // the line on its way to the game
  // After a start or a step: the timer for the next look, or the line's end.
  void AfterDeliveryStep();
  // The entries of the book list, as shown.
  std::vector<Bytes> BookEntries() const;
  // The characters of the books whose clients run now are remembered as characters.
  void NoteCharactersInGame(const std::vector<TopLevelWindow>& windows);
  FollowState follow_;
  std::vector<Bytes> seenCharacters_;  // characters that had a client this run
  WindowRef lineWindow_ = 0;           // the client the last line went to, until the next change
  QuickSayRegistration quickSayKey_;
  QuickSayBox quickSay_;
};

// The book a start with these services opens when the settings' LastOpen names one the folder
// lists, read ahead (ReadBookAhead) for services.readAhead; nullptr when there is none to read.
// Reads only files, so it may run beside the window's thread.
std::unique_ptr<BookReadAhead> ReadStartBookAhead(const MainServices& services);

// The pointer is over the held send button's cell, so the pressed glyph is drawn.
extern bool PressedInside;

// The one global reference to the main window.
extern TForm_Main* Form_Main;

}  // namespace parlo
