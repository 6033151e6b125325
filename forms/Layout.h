#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "forms/Gdi.h"
#include "forms/Window.h"

namespace parlo {

enum class ControlKind {
  Panel,          // a container; see PanelBevel
  Button,
  DefaultButton,  // answers Enter in its window
  CheckBox,
  DropDownList,   // a combo box without typing, sorted
  DropDownEdit,   // an editable combo box, not sorted
  Label,          // sizes itself to its text
  TextLine,       // a label of fixed width, one line high in its font, cut with "..." when too long
  Bitmap,         // a picture
  ListBox,
  BevelLine,      // a single etched line along its top edge
  Edit,
  HotKey,
  Custom,         // a window class of our own, named in its className
};

enum class PanelBevel { None, Raised, Lowered, RaisedInnerLoweredOuter };

struct FontSpec {
  const char* face;
  int height;  // pixels, negative: character height
  int charset;
  bool bold;
};

// One row of a window's layout table. Positions are pixels relative to the parent at 96 dpi.
struct ControlSpec {
  int id;
  ControlKind kind;
  int parentId;  // 0: the window itself
  int left, top, width, height;
  const char* caption;
  int tabOrder;  // within the parent; -1: not a tab stop
  bool visible;
  const FontSpec* font;  // nullptr: the parent's font
  const char* className = nullptr;  // for Custom
  DWORD extraStyle = 0;
  PanelBevel bevel = PanelBevel::None;
};

// A plain container window that hands its children's notifications to the top-level window.
class Panel : public Window {
 public:
  static constexpr const char* kClassName = "TPanel";
  Panel(PanelBevel bevel, COLORREF color);
  HWND Create(HWND parent, int id, int x, int y, int width, int height, bool visible);
  void SetColor(COLORREF color);

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  PanelBevel bevel_;
  COLORREF color_;
  Brush brush_;
};

// Creates a window's controls from its layout table and keeps what they need alive: their
// fonts and panels. Siblings are created in tab order, so the dialog manager's Tab follows it.
// Every rectangle and font height of the table is scaled to the window's dpi.
class ControlSet {
 public:
  void Create(HWND form, const ControlSpec* specs, size_t count, const FontSpec& formFont);
  // Places and sizes every control again at a new dpi, with fonts made for it.
  void ApplyDpi(int dpi);
  int Dpi() const { return dpi_; }
  // A layout number in pixels at the window's dpi.
  int Scale(int layoutPixels) const;
  HWND Get(int id) const;
  HFONT FontOf(int id) const;
  Panel* PanelOf(int id) const;
  HFONT MakeFont(const FontSpec& item);

 private:
  RECT ScaledRect(const ControlSpec& item) const;

  HWND form_ = nullptr;
  const ControlSpec* specs_ = nullptr;
  size_t count_ = 0;
  FontSpec formFont_{};
  int dpi_ = 96;
  std::vector<Font> fonts_;
  std::vector<std::unique_ptr<Panel>> panels_;
  std::map<int, HWND> windows_;
  std::map<int, HFONT> controlFonts_;
};

// Height of one line of text in a font, as an auto-sized label measures it.
int TextLineHeight(HFONT font);
// Resizes a label to its text in its font (an ampersand marks an accelerator and is not shown).
void AutoSizeLabel(HWND label);
// Makes a label one line of its font high, keeping its width.
void FitLineHeight(HWND label);

}  // namespace parlo
