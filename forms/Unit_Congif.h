#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "core/text/Bytes.h"
#include "forms/Gdi.h"
#include "forms/ModalForm.h"

namespace parlo {

// The configuration dialog: stay-on-top, the Bard hot key, the grid font, and the caption that
// chooses the game window among the remembered ones.
class TForm_Config : public ModalForm {
 public:
  // Runs the system's font dialog starting from the font; false when the user cancelled, and the
  // font must then not be used.
  using FontChooser = std::function<bool(HWND owner, LOGFONTA& font)>;
  static bool ChooseFontDialog(HWND owner, LOGFONTA& font);
  // The title of the window that lines would go to with this caption; nothing when none is open.
  using GameFinder = std::function<std::optional<Bytes>(const Bytes& caption)>;
  static constexpr unsigned kGameRefreshMs = 500;

  // What the dialog's controls hold. Set before ShowModal; after it, what they held when the
  // dialog closed.
  struct Values {
    Bytes captionText;                 // ComboBox_Caption's text
    std::vector<Bytes> captionItems;   // ComboBox_Caption's items
    LOGFONTA labelFont{};              // Label_Font's font
    int labelFontHeight = 0;           // Label_Font's height in pixels, one line in its font
    bool onTop = false;                // CheckBox_OnTop
    bool alt = false;                  // CheckBox_ALT
    bool ctrl = false;                 // CheckBox_CTRL
    bool shift = false;                // CheckBox_SHIFT
    unsigned hotKey = 0;               // HotKey_Bard, as the control gives it
    bool quickSayAlt = false;          // the Quick Say row's ALT, CTRL and SHIFT
    bool quickSayCtrl = false;
    bool quickSayShift = false;
    unsigned quickSayKey = 0;          // its key box, as the control gives it
    bool followCharacter = true;       // CheckBox_Follow
  };

  explicit TForm_Config(FontChooser chooseFont = ChooseFontDialog);
  void SetGameFinder(GameFinder findGame) { findGame_ = std::move(findGame); }

  Values& Data() { return values_; }
  const Values& Data() const { return values_; }

  // Handlers
  void FormShow() override;
  void Button1Click();
  void OKBtnClick();

 protected:
  void ComponentsCreated() override;
  void DpiChanged() override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void SetLabelFont(const LOGFONTA& font);
  void ShowFontLabelText();
  void ReadControls();
  // The caption as it stands in the combo box now.
  Bytes CaptionShown() const;
  void ShowWhereLinesGo();

  FontChooser chooseFont_;
  GameFinder findGame_;
  bool captionEdited_ = false;  // the player typed or picked a caption since the dialog opened
  Values values_;
  Font labelFontHandle_;
};

}  // namespace parlo
