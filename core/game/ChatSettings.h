#pragma once
#include "core/game/GameWindow.h"

namespace parlo {

// What a modern client's chat does with keys, as the player set it up in that client.
struct ChatSettings {
  bool enterToChat = false;  // the chat stays closed until Enter opens it, and Enter closes it again
};

// The chat settings of the client behind a game window, looked up for each line; the defaults
// when the client or its profile is unknown.
class ChatSettingsSource {
 public:
  virtual ~ChatSettingsSource() = default;
  virtual ChatSettings For(const GameWindow& window) = 0;
};

}  // namespace parlo
