#pragma once
#include <windows.h>

#include <vector>

#include "forms/Gdi.h"
#include "forms/ModalForm.h"

namespace parlo {

// The About box: the program's name, version, a credit line and the picture, white on a black
// panel. It closes with OK (the default button, so Enter too) or the close box.
class TAboutBox : public ModalForm {
 public:
  TAboutBox();

  // What the labels show, also read by the tests.
  static const char* const kVersionText;
  static const char* const kCreditText;
  static const char* const kEmailText;
  static const char* const kSentenceText;

 protected:
  void ComponentsCreated() override;
  void DpiChanged() override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HBRUSH LabelColors(HDC dc, HWND control);
  void PaintBehindLabels();
  // Shows the picture at its laid-out place and size for the dpi, stretching one made for
  // another scale.
  void PlacePicture();

  // What lies under a label (the black panel and any part of the picture), as a brush the
  // label fills itself with: the text shows over the picture without a box around it, whatever
  // order the overlapping controls paint in.
  struct Backdrop {
    HWND label;
    Bitmap pixels;
    Brush brush;
  };

  Bitmap picture_;
  Brush black_;
  std::vector<Backdrop> backdrops_;
};

}  // namespace parlo
