#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/text/Bytes.h"

namespace parlo {

// What the system's Open dialog is asked to show.
struct OpenFileRequest {
  Bytes title;
  std::vector<std::pair<Bytes, Bytes>> filters;  // name, patterns (";" between them)
  Bytes folder;                                  // where it starts; empty: where the system likes
};

// The path of the file chosen, or nothing when the player cancelled.
std::optional<Bytes> ShowOpenDialog(HWND owner, const OpenFileRequest& request);

using OpenFileFunction = std::function<std::optional<Bytes>(HWND owner, const OpenFileRequest& request)>;

}  // namespace parlo
