#include "forms/ExceptionBox.h"

#include <windows.h>

#include <string>

#include "core/prompts/Errors.h"

namespace parlo {

namespace {

std::wstring Widen(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], length);
  return wide;
}

}  // namespace

void ShowExceptionBox(const std::exception& error) {
  // The text is ANSI bytes except a fixed tail of the program's own, kept in UTF-8 so that it
  // reads right on every code page; the wide box shows both correctly.
  std::wstring text;
  if (auto* parloError = dynamic_cast<const ParloError*>(&error)) {
    text = Widen(parloError->AnsiText(), CP_ACP) + Widen(parloError->Utf8Tail(), CP_UTF8);
  } else {
    text = Widen(error.what(), CP_ACP);
  }
  text += L".";
  // A box without an owner leaves the activation wherever the system puts it when it closes;
  // the player goes on in the window they were in.
  HWND active = GetActiveWindow();
  HWND focus = GetFocus();
  MessageBoxW(nullptr, text.c_str(), L"Parlo!", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  if (active && IsWindow(active) && IsWindowVisible(active) && IsWindowEnabled(active)) {
    SetActiveWindow(active);
    if (focus && IsWindow(focus) && (focus == active || IsChild(active, focus))) SetFocus(focus);
  }
}

}  // namespace parlo
