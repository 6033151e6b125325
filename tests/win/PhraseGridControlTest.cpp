// The grid control on its own, with an owner that records what the grid tells it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "forms/PhraseGridControl.h"
#include "tests/win/PhraseGridTestSupport.h"

namespace parlo {
namespace {

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Recorder : GridEvents {
  std::vector<std::string> log;
  int drawCells = 0;
  std::vector<int> drawnRows;
  PhraseGridControl* grid = nullptr;

  void StringGrid1DrawCell(HDC, int col, int row, const RECT&) override {
    ++drawCells;
    if (col == 0) drawnRows.push_back(row);
  }
  void StringGrid1MouseDown(MouseButton b, int x, int y) override { log.push_back(Button("down", b, x, y)); }
  void StringGrid1MouseMove(int x, int y) override {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  }
  void StringGrid1MouseUp(MouseButton b, int x, int y) override { log.push_back(Button("up", b, x, y)); }
  // The owner's rule: column 1 is never current; the label of that row is.
  void StringGrid1SelectCell(int col, int row, bool& canSelect) override {
    log.push_back("select " + std::to_string(col) + "," + std::to_string(row));
    if (col != kColButton) return;
    grid->Model().SetRow(row);
    grid->Model().SetCol(kColLabel);
    canSelect = false;
  }
  void StringGrid1SetEditText(int col, int row, const Bytes& value) override {
    log.push_back("edit " + std::to_string(col) + "," + std::to_string(row) + " " + value);
  }
  void StringGrid1CaptureLost() override { log.push_back("capture lost"); }

  static std::string Button(const char* what, MouseButton b, int x, int y) {
    const char* name = b == MouseButton::Left ? "left" : b == MouseButton::Right ? "right" : "middle";
    return std::string(what) + " " + name + " " + std::to_string(x) + "," + std::to_string(y);
  }
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : log)
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
  }
};

class PhraseGridControlTest : public ::testing::Test {
 protected:
  // 16-pixel rows, columns 8 + 14 + 64 + 150: 236 pixels of cells.
  static constexpr int kRowHeight = 16;

  void SetUp() override {
    events.grid = &grid;
    // Ten whole rows and part of an eleventh.
    grid.Create(host.Get(), 1, 0, 0, 300, 10 * kRowHeight + 4 + 8);
    grid.SetDefaultRowHeight(kRowHeight);
    grid.SetColWidth(kColLabel, 64);
    grid.SetColWidth(kColText, 150);
    grid.Model().SetCol(kColLabel);
    Pump();
    events.log.clear();
  }

  void Rows(int count) {
    grid.Model().SetRowCount(count);
    for (int r = 0; r < count; ++r) {
      grid.Model().SetCell(kColLabel, r, "L" + std::to_string(r));
      grid.Model().SetCell(kColText, r, "T" + std::to_string(r));
    }
  }
  LRESULT Key(UINT vk) { return SendMessageA(grid.Handle(), WM_KEYDOWN, vk, 0); }
  void Send(UINT message, int x, int y, WPARAM keys = 0) { SendMessageA(grid.Handle(), message, keys, Point(x, y)); }
  int ClientHeight() const {
    RECT rc;
    GetClientRect(grid.Handle(), &rc);
    return rc.bottom;
  }
  bool HasStyle(DWORD style) const { return (GetWindowLongA(grid.Handle(), GWL_STYLE) & style) != 0; }
  std::vector<Bytes> Labels() const {
    std::vector<Bytes> out;
    for (int r = 0; r < grid.Model().RowCount(); ++r) out.push_back(grid.Model().Label(r));
    return out;
  }

  HostWindow host{400, 300};
  Recorder events;
  PhraseGridControl grid{events};
};

// ---- Hit testing and geometry ----

TEST_F(PhraseGridControlTest, MouseToCellFindsEachColumnAndRow) {
  Rows(5);
  int col, row;
  grid.MouseToCell(0, 0, col, row);
  EXPECT_EQ(col, 0);
  EXPECT_EQ(row, 0);
  grid.MouseToCell(8, 17, col, row);  // first pixel of column 1, row 1
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 1);
  grid.MouseToCell(21, 31, col, row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 1);
  grid.MouseToCell(22, 32, col, row);
  EXPECT_EQ(col, 2);
  EXPECT_EQ(row, 2);
  grid.MouseToCell(86, 79, col, row);
  EXPECT_EQ(col, 3);
  EXPECT_EQ(row, 4);
}

TEST_F(PhraseGridControlTest, MouseToCellIsMinusOneWhereThereIsNoCell) {
  Rows(3);
  auto cellAt = [&](int x, int y) {
    int col, row;
    grid.MouseToCell(x, y, col, row);
    return std::make_pair(col, row);
  };
  EXPECT_EQ(cellAt(-1, 5), std::make_pair(-1, -1));
  EXPECT_EQ(cellAt(5, -1), std::make_pair(-1, -1));
  EXPECT_EQ(cellAt(30, 3 * kRowHeight), std::make_pair(-1, -1)) << "below the last row";
  EXPECT_EQ(cellAt(236, 5), std::make_pair(-1, -1)) << "right of the last column";
  EXPECT_EQ(cellAt(5000, 5), std::make_pair(-1, -1)) << "outside the window";
}

TEST_F(PhraseGridControlTest, MouseToCellAndCellRectFollowScrolling) {
  Rows(100);
  grid.SetTopRow(40);
  ASSERT_EQ(grid.TopRow(), 40);
  int col, row;
  grid.MouseToCell(30, 5, col, row);
  EXPECT_EQ(row, 40);
  grid.MouseToCell(30, 2 * kRowHeight + 1, col, row);
  EXPECT_EQ(row, 42);
  RECT rc = grid.CellRect(kColButton, 42);
  EXPECT_EQ(rc.top, 2 * kRowHeight);
  EXPECT_EQ(rc.bottom - rc.top, kRowHeight);
  EXPECT_LT(grid.CellRect(kColLabel, 39).top, 0) << "a row above the view lies above the client";

  // Sideways, only the columns past the grip move.
  grid.SetColWidth(kColText, 1000);
  grid.SetLeftOffset(30);
  ASSERT_EQ(grid.LeftOffset(), 30);
  grid.MouseToCell(3, 5, col, row);
  EXPECT_EQ(col, kColGrip);
  grid.MouseToCell(8 + 14 + 64 - 30, 5, col, row);
  EXPECT_EQ(col, kColText);
  EXPECT_EQ(grid.CellRect(kColLabel, 40).left, 8 + 14 - 30);
}

TEST_F(PhraseGridControlTest, ScrollBarsAppearOnlyWhenTheCellsDoNotFit) {
  Rows(3);
  Pump();
  EXPECT_FALSE(HasStyle(WS_VSCROLL));
  EXPECT_FALSE(HasStyle(WS_HSCROLL));
  RECT before;
  GetClientRect(grid.Handle(), &before);

  grid.Model().SetRowCount(50);
  EXPECT_TRUE(HasStyle(WS_VSCROLL));
  RECT after;
  GetClientRect(grid.Handle(), &after);
  EXPECT_EQ(before.right - after.right, GetSystemMetrics(SM_CXVSCROLL));

  grid.SetColWidth(kColText, 600);
  EXPECT_TRUE(HasStyle(WS_HSCROLL));
  grid.SetColWidth(kColText, 100);
  EXPECT_FALSE(HasStyle(WS_HSCROLL));

  grid.Model().SetRowCount(2);
  EXPECT_FALSE(HasStyle(WS_VSCROLL));
}

TEST_F(PhraseGridControlTest, ShrinkingTheBookPullsTheViewBack) {
  Rows(200);
  grid.SetTopRow(190);
  grid.Model().SetRowCount(20);
  EXPECT_EQ(grid.TopRow(), 20 - grid.VisibleRowCount());
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(grid.Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, grid.TopRow());
  EXPECT_EQ(info.nMax, 19);
}

TEST_F(PhraseGridControlTest, ScrollMessagesAndTheWheelMoveTheTopRow) {
  Rows(100000);
  SendMessageA(grid.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(grid.TopRow(), 1);
  SendMessageA(grid.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(grid.TopRow(), 1 + grid.VisibleRowCount());
  SendMessageA(grid.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(grid.TopRow(), 100000 - grid.VisibleRowCount());
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  GetScrollInfo(grid.Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, grid.TopRow()) << "positions past 65535 must survive";
  SendMessageA(grid.Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(grid.TopRow(), 0);

  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  SendMessageA(grid.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(grid.TopRow(), static_cast<int>(lines));
  SendMessageA(grid.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(grid.TopRow(), static_cast<int>(lines)) << "half a notch waits for the other half";
  SendMessageA(grid.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(grid.TopRow(), 0);
}

// ---- Painting ----

TEST_F(PhraseGridControlTest, PaintingTouchesOnlyTheRowsInView) {
  Rows(100000);
  grid.SetTopRow(50000);
  Canvas canvas(300, ClientHeight());
  events.drawnRows.clear();
  events.drawCells = 0;
  grid.PaintTo(canvas.Dc(), canvas.Area());
  int visible = (ClientHeight() + kRowHeight - 1) / kRowHeight;
  ASSERT_EQ(events.drawnRows.size(), static_cast<size_t>(visible));
  EXPECT_EQ(events.drawnRows.front(), 50000);
  EXPECT_EQ(events.drawnRows.back(), 50000 + visible - 1);
  EXPECT_EQ(events.drawCells, visible * kColCount);

  // A strip of the client only paints the rows it crosses.
  events.drawnRows.clear();
  RECT strip{0, kRowHeight * 2 + 3, 300, kRowHeight * 3 + 1};
  grid.PaintTo(canvas.Dc(), strip);
  EXPECT_THAT(events.drawnRows, ElementsAre(50002, 50003));
}

TEST_F(PhraseGridControlTest, PaintingALoadedBookLeavesItsCellsInTheFilesBytes) {
  auto source = std::make_shared<const Bytes>("labeltext");
  grid.Model().AdoptSource(source);
  grid.Model().BeginRows();
  for (int r = 0; r < 30; ++r)
    grid.Model().AddLoadedRow(std::string_view(*source).substr(0, 5), std::string_view(*source).substr(5));
  grid.Model().EndRows();
  const size_t owned = grid.Model().OwnedRowCount();
  Canvas canvas(300, 200);
  grid.PaintTo(canvas.Dc(), canvas.Area());
  InvalidateRect(grid.Handle(), nullptr, FALSE);
  UpdateWindow(grid.Handle());
  RECT label = grid.CellRect(kColLabel, 2);
  int inked = 0;
  for (int y = label.top; y < label.bottom; ++y)
    for (int x = label.left; x < label.right; ++x) inked += canvas.At(x, y) != PhraseGridControl::kColor;
  EXPECT_GT(inked, 0) << "the label was drawn";
  EXPECT_EQ(grid.Model().OwnedRowCount(), owned);
}

TEST_F(PhraseGridControlTest, CellsAreParchmentWithDarkTextAndTheGripIsAFixedCell) {
  Rows(2);
  grid.Model().SetCell(kColText, 0, "WWWW");
  grid.Model().SetCol(kColLabel);
  grid.Model().SetRow(1);
  Canvas canvas(300, 64);
  grid.PaintTo(canvas.Dc(), canvas.Area());
  EXPECT_EQ(canvas.At(30, 1), PhraseGridControl::kColor) << "a plain cell";
  EXPECT_EQ(canvas.At(250, 40), PhraseGridControl::kColor) << "past the cells";
  EXPECT_EQ(canvas.At(3, 8), GetSysColor(COLOR_BTNFACE)) << "the grip";
  EXPECT_EQ(canvas.At(40, kRowHeight + 8), PhraseGridControl::kCurrentColor) << "the current cell stands out";
  bool sawText = false;
  for (int x = 88; x < 130 && !sawText; ++x)
    for (int y = 2; y < kRowHeight && !sawText; ++y) sawText = canvas.At(x, y) == PhraseGridControl::kTextColor;
  EXPECT_TRUE(sawText) << "text in the grid's colour";
}

TEST_F(PhraseGridControlTest, InvalidateCellMarksThatCellOnly) {
  Rows(5);
  UpdateWindow(grid.Handle());
  grid.InvalidateCell(kColButton, 3);
  RECT pending = PendingUpdate(grid.Handle());
  RECT cell = grid.CellRect(kColButton, 3);
  EXPECT_TRUE(EqualRect(&pending, &cell));
  ValidateRect(grid.Handle(), nullptr);
  grid.InvalidateGrid();
  RECT client;
  GetClientRect(grid.Handle(), &client);
  pending = PendingUpdate(grid.Handle());
  EXPECT_TRUE(EqualRect(&pending, &client));
}

// ---- Keyboard ----

TEST_F(PhraseGridControlTest, ArrowsHomeEndAndPagesMoveTheCurrentCell) {
  Rows(100);
  Key(VK_RIGHT);
  EXPECT_EQ(grid.Model().Col(), kColText);
  Key(VK_RIGHT);
  EXPECT_EQ(grid.Model().Col(), kColText) << "no column past the text";
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(grid.Model().Col(), kColLabel) << "left of the label leads nowhere";
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(grid.Model().Row(), 2);
  Key(VK_UP);
  EXPECT_EQ(grid.Model().Row(), 1);
  Key(VK_NEXT);
  EXPECT_EQ(grid.Model().Row(), 1 + grid.VisibleRowCount());
  Key(VK_PRIOR);
  EXPECT_EQ(grid.Model().Row(), 1);
  Key(VK_END);
  EXPECT_EQ(grid.Model().Col(), kColText);
  Key(VK_HOME);
  EXPECT_EQ(grid.Model().Col(), kColLabel);

  HoldKey(VK_CONTROL, true);
  Key(VK_END);
  HoldKey(VK_CONTROL, false);
  EXPECT_EQ(grid.Model().Row(), 99);
  EXPECT_EQ(grid.TopRow(), 100 - grid.VisibleRowCount()) << "the current row is scrolled into view";
  HoldKey(VK_CONTROL, true);
  Key(VK_HOME);
  HoldKey(VK_CONTROL, false);
  EXPECT_EQ(grid.Model().Row(), 0);
  EXPECT_EQ(grid.TopRow(), 0);
}

TEST_F(PhraseGridControlTest, UndoAndRedoShowTheRowTheyChange) {
  Rows(100);
  grid.Model().SelectCell(kColLabel, 80);
  DeleteRow(grid.Model());
  grid.Model().SelectCell(kColLabel, 0);
  ASSERT_EQ(grid.TopRow(), 0);
  HoldKey(VK_CONTROL, true);
  Key('Z');
  HoldKey(VK_CONTROL, false);
  EXPECT_EQ(grid.Model().Label(80), "L80");
  EXPECT_EQ(grid.Model().Row(), 80);
  EXPECT_LE(grid.TopRow(), 80);
  EXPECT_GT(grid.TopRow() + grid.VisibleRowCount(), 80) << "scrolled into view";
  grid.SetTopRow(0);
  grid.Model().SelectCell(kColLabel, 0);
  HoldKey(VK_CONTROL, true);
  Key('Y');
  HoldKey(VK_CONTROL, false);
  EXPECT_EQ(grid.Model().Label(80), "L81");
  EXPECT_GT(grid.TopRow() + grid.VisibleRowCount(), 80);
  EXPECT_FALSE(grid.Redo()) << "nothing left to redo";
}

TEST_F(PhraseGridControlTest, TabWrapsToTheNextLabelAndShiftTabStopsAtTheLabel) {
  Rows(3);
  Key(VK_TAB);
  EXPECT_EQ(grid.Model().Col(), kColText);
  Key(VK_TAB);
  EXPECT_EQ(grid.Model().Col(), kColLabel);
  EXPECT_EQ(grid.Model().Row(), 1);
  HoldKey(VK_SHIFT, true);
  Key(VK_TAB);
  HoldKey(VK_SHIFT, false);
  EXPECT_EQ(grid.Model().Col(), kColLabel);
  EXPECT_EQ(grid.Model().Row(), 1);
  // Every move asked the owner first.
  EXPECT_THAT(events.Only("select"), ElementsAre("select 3,0", "select 1,1", "select 3,1", "select 2,1",
                                                 "select 1,1"));

  grid.Model().SelectCell(kColText, 2);
  Key(VK_TAB);
  EXPECT_EQ(grid.Model().Row(), 2) << "nothing after the last cell";
  EXPECT_EQ(grid.Model().Col(), kColText);
}

TEST_F(PhraseGridControlTest, AsksTheDialogManagerForTheKeysItUses) {
  LRESULT code = SendMessageA(grid.Handle(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTARROWS);
  EXPECT_TRUE(code & DLGC_WANTTAB);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  MSG enter{};
  enter.hwnd = grid.Handle();
  enter.message = WM_KEYDOWN;
  enter.wParam = VK_RETURN;
  EXPECT_TRUE(SendMessageA(grid.Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
              DLGC_WANTMESSAGE);
  HoldKey(VK_CONTROL, true);
  code = SendMessageA(grid.Handle(), WM_GETDLGCODE, 0, 0);
  HoldKey(VK_CONTROL, false);
  EXPECT_FALSE(code & DLGC_WANTTAB) << "Ctrl+Tab leaves the grid";
}

// ---- In-place editing ----

TEST_F(PhraseGridControlTest, TypingReplacesTheTextAndEnterStoresItOnce) {
  Rows(3);
  SetFocus(grid.Handle());
  grid.Model().SelectCell(kColText, 1);
  SendMessageA(grid.Handle(), WM_CHAR, 'h', 0);
  ASSERT_TRUE(grid.IsEditing());
  ASSERT_TRUE(IsWindowVisible(grid.Editor()));
  EXPECT_EQ(GetFocus(), grid.Editor());
  SendMessageA(GetFocus(), WM_CHAR, 'i', 0);
  char text[32];
  GetWindowTextA(grid.Editor(), text, sizeof text);
  EXPECT_STREQ(text, "hi") << "the old text T1 is replaced";
  EXPECT_EQ(grid.Model().Text(1), "T1") << "nothing is stored while typing";

  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(grid.Handle(), WM_CHAR, '\r', 0);  // the Enter's own character, as TranslateMessage makes it
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_FALSE(IsWindowVisible(grid.Editor()));
  EXPECT_EQ(GetFocus(), grid.Handle());
  EXPECT_EQ(grid.Model().Text(1), "hi");
  EXPECT_THAT(events.Only("edit"), ElementsAre("edit 3,1 hi"));
}

// Puts text on the clipboard as CF_TEXT, owned by the given window.
void PutClipboardText(HWND owner, const Bytes& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  ASSERT_NE(memory, nullptr);
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  EXPECT_NE(SetClipboardData(CF_TEXT, memory), nullptr);
  CloseClipboard();
}

TEST_F(PhraseGridControlTest, APasteIntoALabelDropsTabsAndLineBreaksAsTypingDoes) {
  Rows(3);
  SetFocus(grid.Handle());
  grid.Model().SelectCell(kColLabel, 1);
  SendMessageA(grid.Handle(), WM_CHAR, 'a', 0);
  ASSERT_TRUE(grid.IsEditing());
  PutClipboardText(host.Get(), "b\tc\r\nd\ne\rf");
  SendMessageA(grid.Editor(), WM_PASTE, 0, 0);
  SendMessageA(grid.Editor(), WM_CHAR, 0x16, 0);  // Ctrl+V as the edit control sees it
  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(grid.Model().Label(1), "abcdefbcdef");
  EXPECT_THAT(events.Only("edit"), ElementsAre("edit 2,1 abcdefbcdef"));

  // The text column still takes a pasted TAB: a row with a label keeps it through a save.
  grid.Model().SelectCell(kColText, 1);
  SendMessageA(grid.Handle(), WM_CHAR, 'x', 0);
  ASSERT_TRUE(grid.IsEditing());
  PutClipboardText(host.Get(), "y\tz");
  SendMessageA(grid.Editor(), WM_PASTE, 0, 0);
  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(grid.Model().Text(1), "xy\tz");
  if (OpenClipboard(host.Get())) {
    EmptyClipboard();
    CloseClipboard();
  }
}

TEST_F(PhraseGridControlTest, F2AndEnterOpenTheCellsTextAndEscapeDropsTheChange) {
  Rows(3);
  SetFocus(grid.Handle());
  Key(VK_F2);
  ASSERT_TRUE(grid.IsEditing());
  char text[32];
  GetWindowTextA(grid.Editor(), text, sizeof text);
  EXPECT_STREQ(text, "L0");
  SendMessageA(grid.Editor(), WM_CHAR, 'x', 0);
  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Model().Label(0), "L0");
  EXPECT_THAT(events.Only("edit"), IsEmpty());

  Key(VK_RETURN);
  ASSERT_TRUE(grid.IsEditing());
  SendMessageA(grid.Editor(), WM_CHAR, 'x', 0);
  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(grid.Model().Label(0), "L0x");
}

TEST_F(PhraseGridControlTest, LosingTheFocusStoresTheEditAndAnUnchangedEditRaisesNothing) {
  Rows(3);
  HWND other = CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 320, 0, 20, 20, host.Get(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  SetFocus(grid.Handle());
  Key(VK_F2);
  SetFocus(other);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_THAT(events.Only("edit"), IsEmpty()) << "nothing changed";

  SetFocus(grid.Handle());
  SendMessageA(grid.Handle(), WM_CHAR, 'z', 0);
  SetFocus(other);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Model().Label(0), "z");
  EXPECT_THAT(events.Only("edit"), ElementsAre("edit 2,0 z"));
  DestroyWindow(other);
}

TEST_F(PhraseGridControlTest, TabAndArrowsInTheEditorStoreAndMove) {
  Rows(3);
  SetFocus(grid.Handle());
  SendMessageA(grid.Handle(), WM_CHAR, 'a', 0);
  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(grid.Model().Label(0), "a");
  EXPECT_EQ(grid.Model().Col(), kColText);
  EXPECT_FALSE(grid.IsEditing());
  SendMessageA(grid.Handle(), WM_CHAR, 'b', 0);
  SendMessageA(grid.Editor(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(grid.Model().Text(0), "b");
  EXPECT_EQ(grid.Model().Row(), 1);
  EXPECT_THAT(events.Only("edit"), ElementsAre("edit 2,0 a", "edit 3,0 b"));
}

TEST_F(PhraseGridControlTest, ScrollingResizingAndMovingTheCurrentCellEndTheEdit) {
  Rows(100);
  SetFocus(grid.Handle());
  SendMessageA(grid.Handle(), WM_CHAR, 'a', 0);
  SendMessageA(grid.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Model().Label(0), "a");

  SetFocus(grid.Handle());
  SendMessageA(grid.Handle(), WM_CHAR, 'b', 0);
  MoveWindow(grid.Handle(), 0, 0, 320, 150, TRUE);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Model().Label(0), "b");

  SetFocus(grid.Handle());
  SendMessageA(grid.Handle(), WM_CHAR, 'c', 0);
  grid.Model().SetRow(5);  // e.g. the Bard moving on while the user types
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Model().Label(0), "c") << "stored into the cell it was typed in";
  EXPECT_EQ(grid.Model().Label(5), "L5");
}

TEST_F(PhraseGridControlTest, ColumnOneNeverGetsAnEditor) {
  // A grid whose current column was never moved off the button column.
  Recorder plain;
  PhraseGridControl fresh(plain);
  plain.grid = &fresh;
  fresh.Create(host.Get(), 2, 0, 200, 300, 60);
  fresh.Model().SetSelectHook(nullptr);
  ASSERT_EQ(fresh.Model().Col(), kColButton);
  SetFocus(fresh.Handle());
  SendMessageA(fresh.Handle(), WM_CHAR, 'q', 0);
  EXPECT_FALSE(fresh.IsEditing());
  EXPECT_FALSE(fresh.ShowEditor());
  EXPECT_EQ(fresh.Model().Cell(kColButton, 0), "");
}

TEST_F(PhraseGridControlTest, DestroyingTheGridWhileEditingNeitherCrashesNorRaises) {
  Recorder plain;
  {
    auto owned = std::make_unique<PhraseGridControl>(plain);
    plain.grid = owned.get();
    owned->Create(host.Get(), 3, 0, 0, 300, 100);
    owned->Model().SetCol(kColLabel);
    SetFocus(owned->Handle());
    SendMessageA(owned->Handle(), WM_CHAR, 'k', 0);
    ASSERT_TRUE(owned->IsEditing());
    HWND editor = owned->Editor();
    owned.reset();
    EXPECT_FALSE(IsWindow(editor));
  }
  Pump();
  EXPECT_THAT(plain.Only("edit"), IsEmpty());
}

TEST_F(PhraseGridControlTest, AClickOnTheCurrentCellOfAFocusedGridOpensTheEditor) {
  Rows(3);
  RECT label = grid.CellRect(kColLabel, 1);
  Send(WM_LBUTTONDOWN, label.left + 5, label.top + 5, MK_LBUTTON);
  Send(WM_LBUTTONUP, label.left + 5, label.top + 5);
  EXPECT_FALSE(grid.IsEditing()) << "the first click only makes the cell current";
  EXPECT_EQ(grid.Model().Row(), 1);
  Send(WM_LBUTTONDOWN, label.left + 5, label.top + 5, MK_LBUTTON);
  EXPECT_TRUE(grid.IsEditing());
  char text[32];
  GetWindowTextA(grid.Editor(), text, sizeof text);
  EXPECT_STREQ(text, "L1");
}

// ---- Mouse routing ----

TEST_F(PhraseGridControlTest, ALeftPressMovesTheCurrentCellBeforeTheOwnerHearsOfIt) {
  Rows(5);
  RECT text = grid.CellRect(kColText, 3);
  Send(WM_LBUTTONDOWN, text.left + 4, text.top + 4, MK_LBUTTON);
  EXPECT_EQ(grid.Model().Col(), kColText);
  EXPECT_EQ(grid.Model().Row(), 3);
  RECT button = grid.CellRect(kColButton, 2);
  Send(WM_LBUTTONDOWN, button.left + 4, button.top + 4, MK_LBUTTON);
  EXPECT_EQ(grid.Model().Col(), kColLabel) << "column 1 sends the current cell to the label";
  EXPECT_EQ(grid.Model().Row(), 2);
  std::string first = "down left " + std::to_string(text.left + 4) + "," + std::to_string(text.top + 4);
  std::string second = "down left " + std::to_string(button.left + 4) + "," + std::to_string(button.top + 4);
  EXPECT_THAT(events.log, ElementsAre("select 3,3", first, "select 1,2", "select 3,2", "select 2,2", second));
}

TEST_F(PhraseGridControlTest, OtherButtonsAndDoubleClicksAreReportedAsTheyCome) {
  Rows(5);
  RECT text = grid.CellRect(kColText, 3);
  Send(WM_RBUTTONDOWN, text.left + 1, text.top + 1);
  Send(WM_RBUTTONUP, text.left + 1, text.top + 1);
  Send(WM_MBUTTONDOWN, text.left + 1, text.top + 1);
  EXPECT_EQ(grid.Model().Row(), 0) << "only the left button moves the current cell";
  Send(WM_LBUTTONDBLCLK, 2, 2);
  Send(WM_MOUSEMOVE, -7, 400);
  EXPECT_THAT(events.Only("down"), ElementsAre("down right " + std::to_string(text.left + 1) + ",49",
                                               "down middle " + std::to_string(text.left + 1) + ",49",
                                               "down left 2,2"));
  EXPECT_THAT(events.Only("up"), ElementsAre("up right " + std::to_string(text.left + 1) + ",49"));
  EXPECT_THAT(events.Only("move"), ElementsAre("move -7,400")) << "coordinates stay signed";
}

TEST_F(PhraseGridControlTest, LosingTheCaptureIsReported) {
  Rows(3);
  SetCapture(grid.Handle());
  SetCapture(host.Get());
  ReleaseCapture();
  EXPECT_THAT(events.Only("capture"), ElementsAre("capture lost"));
}

TEST_F(PhraseGridControlTest, AClickDoesNotScrollTheRowsUnderThePointer) {
  Rows(100);
  int partial = grid.VisibleRowCount();  // the row cut off at the bottom
  RECT cell = grid.CellRect(kColText, partial);
  ASSERT_LT(cell.top + 1, ClientHeight());
  Send(WM_LBUTTONDOWN, cell.left + 3, cell.top + 1, MK_LBUTTON);
  EXPECT_EQ(grid.Model().Row(), partial);
  EXPECT_EQ(grid.TopRow(), 0);
  int col, row;
  grid.MouseToCell(cell.left + 3, cell.top + 1, col, row);
  EXPECT_EQ(row, partial) << "the owner maps the press to the row that was clicked";
}

// ---- Row dragging ----

TEST_F(PhraseGridControlTest, DraggingTheGripMovesTheWholeRow) {
  Rows(5);
  grid.Model().SetCell(kColButton, 1, "b1");
  grid.Model().SelectCell(kColText, 1);
  Send(WM_LBUTTONDOWN, 3, kRowHeight + 5, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), grid.Handle());
  EXPECT_FALSE(grid.IsDraggingRow());
  Send(WM_MOUSEMOVE, 3, 3 * kRowHeight + 5, MK_LBUTTON);
  EXPECT_TRUE(grid.IsDraggingRow());
  EXPECT_EQ(grid.DropRow(), 3);
  Send(WM_LBUTTONUP, 3, 3 * kRowHeight + 5);
  EXPECT_FALSE(grid.IsDraggingRow());
  EXPECT_NE(GetCapture(), grid.Handle());
  EXPECT_THAT(Labels(), ElementsAre("L0", "L2", "L3", "L1", "L4"));
  EXPECT_EQ(grid.Model().Text(3), "T1");
  EXPECT_EQ(grid.Model().Cell(kColButton, 3), "b1");
  EXPECT_EQ(grid.Model().Row(), 3) << "the current row went with it";

  // Upwards, and past the top: the row lands first.
  Send(WM_LBUTTONDOWN, 3, 4 * kRowHeight + 5, MK_LBUTTON);
  Send(WM_MOUSEMOVE, 3, -30, MK_LBUTTON);
  Send(WM_LBUTTONUP, 3, -30);
  EXPECT_THAT(Labels(), ElementsAre("L4", "L0", "L2", "L3", "L1"));
}

TEST_F(PhraseGridControlTest, ASmallWobbleOnTheGripIsNoDrag) {
  Rows(5);
  Send(WM_LBUTTONDOWN, 3, kRowHeight + 5, MK_LBUTTON);
  Send(WM_MOUSEMOVE, 3, kRowHeight + 5 + GetSystemMetrics(SM_CYDRAG) - 1, MK_LBUTTON);
  EXPECT_FALSE(grid.IsDraggingRow());
  Send(WM_LBUTTONUP, 3, kRowHeight + 5 + GetSystemMetrics(SM_CYDRAG) - 1);
  EXPECT_THAT(Labels(), ElementsAre("L0", "L1", "L2", "L3", "L4"));
}

TEST_F(PhraseGridControlTest, EscapeOrALostCaptureCancelsADrag) {
  Rows(5);
  SetFocus(grid.Handle());
  Send(WM_LBUTTONDOWN, 3, 5, MK_LBUTTON);
  Send(WM_MOUSEMOVE, 3, 3 * kRowHeight + 5, MK_LBUTTON);
  ASSERT_TRUE(grid.IsDraggingRow());
  EXPECT_EQ(SendMessageA(grid.Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS)
      << "the dialog manager must leave Esc to the drag";
  Key(VK_ESCAPE);
  EXPECT_FALSE(grid.IsDraggingRow());
  Send(WM_LBUTTONUP, 3, 3 * kRowHeight + 5);
  EXPECT_THAT(Labels(), ElementsAre("L0", "L1", "L2", "L3", "L4"));

  Send(WM_LBUTTONDOWN, 3, 5, MK_LBUTTON);
  Send(WM_MOUSEMOVE, 3, 3 * kRowHeight + 5, MK_LBUTTON);
  ASSERT_TRUE(grid.IsDraggingRow());
  SetCapture(host.Get());
  ReleaseCapture();
  EXPECT_FALSE(grid.IsDraggingRow());
  Send(WM_LBUTTONUP, 3, 3 * kRowHeight + 5);
  EXPECT_THAT(Labels(), ElementsAre("L0", "L1", "L2", "L3", "L4"));
}

}  // namespace
}  // namespace parlo
