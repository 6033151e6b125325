#include "core/game/Delivery.h"

#include <utility>

namespace parlo {

Bytes YellRewrite(const Bytes& line) {
  Bytes head = line.substr(0, 2);
  if (head == ": ") return "! *" + line.substr(2) + "*";
  if (head == "; ") return line;
  return "! " + line;
}

std::vector<unsigned> CharacterCodes(const Bytes& text, const LeadBytes& lead) {
  std::vector<unsigned> codes;
  codes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    unsigned byte = static_cast<unsigned char>(text[i]);
    if (lead.IsLead(static_cast<unsigned char>(byte))) {
      unsigned trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
      codes.push_back(byte * 256 + trail);
      i += 2;
    } else {
      codes.push_back(byte);
      i += 1;
    }
  }
  return codes;
}

namespace {

constexpr unsigned kBlank = ' ';

bool IsDigit(unsigned c) {
  return c >= '0' && c <= '9';
}

// A line starting "-" is a command to the client, which sends it as one message; "--" opens a
// chat channel instead. "[x" and ".x" are speech to the client, which cuts them like any other.
bool IsCommand(const std::vector<unsigned>& codes) {
  return !codes.empty() && codes[0] == '-' && (codes.size() < 2 || codes[1] != '-');
}

// Whether a part starting at codes[at] would switch the chat to a mode of its own: the signs the
// clients read at the start of the chat, and the server's command signs.
bool OpensMode(const std::vector<unsigned>& codes, std::size_t at) {
  const unsigned first = codes[at];
  const bool blankNext = at + 1 < codes.size() && codes[at + 1] == kBlank;
  switch (first) {
    case '/':
    case '\\':
    case '|':
    case '-':
    case ',':
    case '[':
    case '.':
      return true;
    case '!':
    case ':':
    case ';':
      return blankNext;
    default:
      return false;
  }
}

}  // namespace

std::size_t ChatPrefixLength(const std::vector<unsigned>& codes) {
  const std::size_t n = codes.size();
  if (n == 0) return 0;
  const unsigned first = codes[0];
  // Yell, emote and whisper need their blank; without it the line is plain speech.
  if (first == '!' || first == ':' || first == ';') return n > 1 && codes[1] == kBlank ? 2 : 0;
  std::size_t length = 0;
  if (first == '/') {
    // "/3 " talks to the third member of the party alone.
    std::size_t end = 1;
    unsigned member = 0;
    while (end < n && end < 4 && IsDigit(codes[end])) member = member * 10 + (codes[end++] - '0');
    if (end > 1 && end < n && codes[end] == kBlank && member >= 1 && member <= 10) return end + 1;
    length = 1;
  } else if (first == '-' && n > 1 && codes[1] == '-') {
    length = 2;
  } else if (first == '\\' || first == '|' || first == ',') {
    length = 1;
  }
  // The blank after a one-sign channel goes with it, so every part reads the same.
  if (length > 0 && length < n && codes[length] == kBlank) ++length;
  return length;
}

std::size_t ChatModeSwitchLength(const std::vector<unsigned>& codes) {
  if (IsCommand(codes)) return 1;
  return ChatPrefixLength(codes);
}

std::vector<std::vector<unsigned>> SplitChatLine(const std::vector<unsigned>& codes) {
  if (codes.size() <= kChatMessageLimit || IsCommand(codes)) return {codes};
  const std::size_t prefixLength = ChatPrefixLength(codes);
  const std::size_t room = kChatMessageLimit - prefixLength;
  std::vector<std::vector<unsigned>> parts;
  std::size_t at = prefixLength;
  while (at < codes.size()) {
    std::vector<unsigned> part(codes.begin(), codes.begin() + prefixLength);
    std::size_t cut = codes.size();
    std::size_t next = cut;
    if (codes.size() - at > room) {
      // The last blank within the room whose rest opens no mode of its own; a blank just past the
      // room still makes a clean cut, as it is dropped with the others. With no such blank, cut
      // inside a word, before a character that opens no mode.
      cut = 0;
      for (std::size_t i = at + room; i > at && cut == 0; --i) {
        if (codes[i] != kBlank) continue;
        std::size_t rest = i;
        while (rest < codes.size() && codes[rest] == kBlank) ++rest;
        if (rest == codes.size() || !OpensMode(codes, rest)) cut = i;
      }
      for (std::size_t i = at + room; i > at && cut == 0; --i)
        if (codes[i] != kBlank && !OpensMode(codes, i)) cut = i;
      if (cut == 0) cut = at + room;
      next = cut;
      while (next < codes.size() && codes[next] == kBlank) ++next;
    }
    part.insert(part.end(), codes.begin() + at, codes.begin() + cut);
    parts.push_back(std::move(part));
    at = next;
  }
  return parts;
}

std::vector<DeliveryStep> PlanDelivery(const std::vector<unsigned>& codes, bool classic,
                                       const ChatSettings& chat, bool pasteOnly) {
  using Kind = DeliveryStep::Kind;
  std::vector<DeliveryStep> steps;
  if (classic) {
    for (unsigned code : codes) steps.push_back({Kind::kImeChar, code});
    if (pasteOnly) {
      steps.push_back({Kind::kFront});
    } else {
      steps.insert(steps.end(), {{Kind::kAwaitModifiers},
                                 {Kind::kVisibleOrStop},
                                 {Kind::kFront},
                                 {Kind::kAwaitFront},
                                 {Kind::kPressKey, kVkReturn}});
    }
    return steps;
  }
  // Every wait ends by looking that the game still has the front: a click meanwhile (the second
  // of a double click) or another program may have taken it, and the client drops text then.
  const std::vector<DeliveryStep> enter = {{Kind::kAwaitModifiers},
                                           {Kind::kKeepFront},
                                           {Kind::kKeyDown, kVkReturn},
                                           {Kind::kKeyUp, kVkReturn}};
  steps = {
      {Kind::kFront}, {Kind::kAwaitFront}, {Kind::kKeyDown, kCleanSlateKey}, {Kind::kKeyUp, kCleanSlateKey}};
  auto type = [&steps](const std::vector<unsigned>& part) {
    const std::size_t modeSwitch = ChatModeSwitchLength(part);
    for (std::size_t i = 0; i < part.size(); ++i) {
      steps.push_back({Kind::kChar, part[i]});
      // One sign a frame, as the player types them: "--" is another mode than "-".
      if (i < modeSwitch)
        steps.insert(steps.end(),
                     {{Kind::kPause, static_cast<unsigned>(kChatModePauseMs)}, {Kind::kKeepFront}});
    }
  };
  // A pasted line is the player's to send, so it is never cut: the client keeps what it does not
  // send in the chat, in the same mode, for the player's next Enter.
  const std::vector<std::vector<unsigned>> parts =
      pasteOnly ? std::vector<std::vector<unsigned>>{codes} : SplitChatLine(codes);
  for (const std::vector<unsigned>& part : parts) {
    if (pasteOnly) {
      if (chat.enterToChat) steps.insert(steps.end(), enter.begin(), enter.end());
      type(part);
    } else if (chat.enterToChat) {
      // The chat may have been left open or closed, and Enter toggles it once the chat is empty.
      // Typed into an open chat, the part is said and the chat closes; the copy after it goes into
      // the closed chat, which throws it away, and the last Enter opens the chat again. Into a
      // closed chat, the first copy is thrown away, Enter opens, and the copy is said and closes
      // it. Either way the part is said once and the chat is left as the player had it.
      for (int copy = 0; copy < 2; ++copy) {
        type(part);
        steps.insert(steps.end(), enter.begin(), enter.end());
      }
    } else {
      type(part);
      steps.insert(steps.end(), enter.begin(), enter.end());
    }
  }
  return steps;
}

std::optional<GameWindow> FindGameWindow(GamePort& game, const GameChoice& choice, const LeadBytes& lead) {
  return ChooseGameWindow(game.TopLevelWindows(), choice, lead, game.OwnProcessId());
}

bool Delivery::Start(GamePort& game, const LeadBytes& lead, const GameChoice& choice,
                     ChatSettingsSource* chat, Bytes text, bool yell, bool pasteOnly) {
  if (busy_) return false;
  window_ = 0;
  waiting_ = false;
  posted_ = false;
  steps_.clear();
  next_ = 0;
  result_ = SayResult::kNothing;
  if (text.empty()) return true;
  if (yell) text = YellRewrite(text);
  const std::vector<unsigned> codes = CharacterCodes(text, lead);
  if (codes.size() > kMaxLineCharacters) return true;
  const std::optional<GameWindow> found = FindGameWindow(game, choice, lead);
  if (!found) {
    result_ = SayResult::kNoGameWindow;
    return true;
  }
  window_ = found->handle;
  const ChatSettings settings = !found->classic && chat ? chat->For(*found) : ChatSettings{};
  steps_ = PlanDelivery(codes, found->classic, settings, pasteOnly);
  busy_ = true;
  Run(game);
  return true;
}

void Delivery::Continue(GamePort& game) {
  if (busy_) Run(game);
}

void Delivery::Finish(SayResult result) {
  busy_ = false;
  waiting_ = false;
  result_ = result;
}

Delivery::Wait Delivery::Await(GamePort& game, bool done, int maxMs) {
  if (done) {
    waiting_ = false;
    return Wait::kDone;
  }
  const std::uint64_t now = game.NowMs();
  if (!waiting_) {
    waiting_ = true;
    deadline_ = now + static_cast<std::uint64_t>(maxMs);
    return Wait::kLater;
  }
  if (now < deadline_) return Wait::kLater;
  waiting_ = false;
  return Wait::kTimedOut;
}

void Delivery::Run(GamePort& game) {
  using Kind = DeliveryStep::Kind;
  for (; next_ < steps_.size(); ++next_) {
    const DeliveryStep& step = steps_[next_];
    PostResult posted = PostResult::kQueued;
    switch (step.kind) {
      case Kind::kImeChar:
        posted = game.PostImeChar(window_, step.code);
        break;
      case Kind::kChar:
        posted = game.PostChar(window_, step.code);
        break;
      case Kind::kKeyDown:
      case Kind::kKeyUp:
        posted = game.PostKey(window_, step.code, step.kind == Kind::kKeyUp);
        break;
      case Kind::kFront:
        game.BringToFront(window_);
        break;
      case Kind::kAwaitFront: {
        const bool lookedBefore = waiting_;
        const Wait wait = Await(game, game.IsForeground(window_), kForegroundWaitMs);
        if (wait == Wait::kLater) {
          // A click on Parlo meanwhile, such as the second of a double click, takes the front
          // back before the game ever had it.
          if (lookedBefore) game.BringToFront(window_);
          return;
        }
        // Keys would go to whichever window is in front: Parlo's own focused button (sending the
        // line again) or another program. A client that drops text in the background gets none.
        if (wait == Wait::kTimedOut) return Finish(posted_ ? SayResult::kDelivered : SayResult::kNotInFront);
        break;
      }
      case Kind::kAwaitModifiers: {
        const Wait wait = Await(game, !game.ModifiersDown(), kModifierWaitMs);
        if (wait == Wait::kLater) return;
        if (wait == Wait::kTimedOut) {
          // Better a line left typed in the chat, in front for the player to send, than a
          // modified Enter.
          if (game.IsVisible(window_)) game.BringToFront(window_);
          return Finish(SayResult::kDelivered);
        }
        break;
      }
      case Kind::kKeepFront: {
        if (!waiting_ && game.IsForeground(window_)) break;
        const bool lookedBefore = waiting_;
        const Wait wait = Await(game, lookedBefore && game.IsForeground(window_), kForegroundWaitMs);
        if (wait == Wait::kLater) {
          game.BringToFront(window_);
          return;
        }
        // Keys now would go to another window, and the client has dropped the text meanwhile:
        // no Enter for half a line.
        if (wait == Wait::kTimedOut) return Finish(SayResult::kFrontLost);
        break;
      }
      case Kind::kVisibleOrStop:
        if (!game.IsVisible(window_)) return Finish(SayResult::kDelivered);
        break;
      case Kind::kPressKey:
        SendKey(game, step.code, false, false, false);
        break;
      case Kind::kPause:
        if (Await(game, false, static_cast<int>(step.code)) == Wait::kLater) return;
        break;
    }
    if (posted == PostResult::kRefused) return Finish(SayResult::kRefused);
    if (step.kind == Kind::kImeChar || step.kind == Kind::kChar) posted_ = true;
  }
  Finish(SayResult::kDelivered);
}

void SendKey(GamePort& game, unsigned vk, bool alt, bool ctrl, bool shift) {
  const unsigned ctrlScan = ctrl ? game.ScanCode(kVkControl) & 0xFF : 0;
  const unsigned shiftScan = shift ? game.ScanCode(kVkShift) & 0xFF : 0;
  const unsigned altScan = alt ? game.ScanCode(kVkMenu) & 0xFF : 0;
  const unsigned keyScan = game.ScanCode(vk) & 0xFF;
  if (alt) game.KeyEvent(kVkMenu, altScan, kKeyExtended);
  if (ctrl) game.KeyEvent(kVkControl, ctrlScan, 0);
  if (shift) game.KeyEvent(kVkShift, shiftScan, 0);
  game.KeyEvent(vk, keyScan, 0);
  game.KeyEvent(vk, keyScan, kKeyUp);
  if (shift) game.KeyEvent(kVkShift, shiftScan, kKeyUp);
  if (ctrl) game.KeyEvent(kVkControl, ctrlScan, kKeyUp);
  if (alt) game.KeyEvent(kVkMenu, altScan, kKeyExtended | kKeyUp);
}

}  // namespace parlo
