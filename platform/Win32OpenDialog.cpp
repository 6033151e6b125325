#include "platform/Win32OpenDialog.h"

#include <commdlg.h>

namespace parlo {

std::optional<Bytes> ShowOpenDialog(HWND owner, const OpenFileRequest& request) {
  // Pairs of strings, each ended by a NUL, and one more NUL after the last.
  Bytes filter;
  for (const auto& [name, patterns] : request.filters) {
    filter += name;
    filter += '\0';
    filter += patterns;
    filter += '\0';
  }
  filter += '\0';
  // Deep profile folders run past MAX_PATH.
  Bytes path(32768, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
  dialog.lpstrTitle = request.title.c_str();
  // The books are found by full paths, but the working folder is the player's business.
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  path.resize(path.find('\0'));
  return path;
}

}  // namespace parlo
