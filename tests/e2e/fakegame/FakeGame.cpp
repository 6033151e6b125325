// A stand-in for the game client: a window of class "Ultima Online" that shows the chat lines it
// receives and writes every input event to a log file, one flushed line per event, so that a
// test (or a player trying Parlo out) can see exactly what arrived and in which order.
//
//   fakegame.exe [--log <file>] [--hidden] [--title <text>] [--class <name>] [--at <x>,<y>]
//                [--modern [--enter-chat [--chat-open]]]
//
// --class registers the classic window under another class, such as a browser's, to stand for a
// window that only looks like the game by its title.
//
// --modern stands in for the modern clients instead: a Unicode window of class "SDL_app", titled
// "Practice - ClassicUO", whose chat behaves as theirs does. It keeps a typed character only while
// it has the keyboard focus, drops control characters, and sends on the Enter key, reading keys by
// their scan code as SDL does. F9 stands for a key an assistant running inside the client took:
// the client then ignores typed text until a key-down of another key reaches it. A message holds
// at most 100 characters; Enter sends the first part and leaves the rest in the chat. A chat-mode
// prefix ("! ", ": ", "/" ...) is read once a frame, as the client reads it. --enter-chat keeps
// the chat closed, throwing typed text away, until Enter opens it; Enter on an open chat sends
// the line and closes it again, Shift+Enter sends it and keeps the chat open, and both open a
// closed chat. --chat-open starts with the chat left open.
//
// It deliberately installs no keyboard hook: a hook in the receiving process changes how Wine
// orders foreground switches and key events, and would hide delivery faults.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>

namespace parlo {
namespace {

constexpr char kClassName[] = "Ultima Online";
constexpr char kDefaultTitle[] = "Ultima Online - practice";
constexpr wchar_t kModernClassName[] = L"SDL_app";
constexpr char kModernTitle[] = "Practice - ClassicUO";
constexpr char kUsage[] =
    "Usage: fakegame.exe [--log <file>] [--hidden] [--title <text>] [--class <name>] [--at <x>,<y>] "
    "[--modern [--enter-chat [--chat-open]]]\n\n"
    "--modern: a modern client's chat; F9 stands for an assistant's hot key.\n"
    "--enter-chat: the chat stays closed until Enter opens it.\n"
    "--chat-open: with --enter-chat, the chat starts open, as a player may leave it.";
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 380;
constexpr size_t kMaxLines = 200;
// A key an assistant inside a modern client took for one of its hot keys.
constexpr unsigned kAssistantKey = VK_F9;
constexpr char kAssistantKeyName[] = "F9";
// The longest message a modern client's chat sends at once.
constexpr size_t kMaxMessage = 100;
// The client's frame: it reads a chat-mode prefix once a frame, after the input of that frame.
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kFrameMs = 16;

// Palette of the chat panel.
constexpr COLORREF kBackground = RGB(38, 34, 30);
constexpr COLORREF kPanel = RGB(16, 18, 24);
constexpr COLORREF kPanelBorder = RGB(92, 80, 56);
constexpr COLORREF kTitleText = RGB(226, 196, 120);
constexpr COLORREF kSayText = RGB(230, 230, 220);
constexpr COLORREF kYellText = RGB(255, 140, 90);
constexpr COLORREF kEmoteText = RGB(130, 200, 150);
constexpr COLORREF kWhisperText = RGB(170, 170, 200);
constexpr COLORREF kGroupText = RGB(120, 200, 230);
constexpr COLORREF kInputText = RGB(140, 190, 255);
constexpr COLORREF kHintText = RGB(150, 140, 120);
constexpr COLORREF kActiveDot = RGB(110, 220, 110);
constexpr COLORREF kInactiveDot = RGB(120, 120, 120);

struct Options {
  std::string logPath;
  std::string title;  // empty: the practice window's own
  std::string className = kClassName;
  bool hidden = false;
  bool modern = false;
  bool enterChat = false;
  bool chatOpen = false;
  int x = 20;
  int y = 40;
};

// Splits the command line the way the C runtime would, but on the ANSI bytes, so that paths in
// the system code page come through untouched.
bool ParseOptions(int argc, char** argv, Options& out) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--log" && i + 1 < argc) {
      out.logPath = argv[++i];
    } else if (arg == "--title" && i + 1 < argc) {
      out.title = argv[++i];
    } else if (arg == "--class" && i + 1 < argc) {
      out.className = argv[++i];
    } else if (arg == "--hidden") {
      out.hidden = true;
    } else if (arg == "--modern") {
      out.modern = true;
    } else if (arg == "--enter-chat") {
      out.enterChat = true;
    } else if (arg == "--chat-open") {
      out.chatOpen = true;
    } else if (arg == "--at" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%d,%d", &out.x, &out.y) != 2) return false;
    } else {
      return false;
    }
  }
  if (out.enterChat && !out.modern) return false;  // the classic client has no such chat
  if (out.chatOpen && !out.enterChat) return false;
  if (out.title.empty()) out.title = out.modern ? kModernTitle : kDefaultTitle;
  return true;
}

// The log is shared for reading and writing so that a driver can read it while we append; every
// line goes out with its own WriteFile, so it is visible to readers at once.
class EventLog {
 public:
  EventLog() = default;
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;
  ~EventLog() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  bool Open(const std::string& path) {
    if (path.empty()) return true;  // a player's practice run needs no log
    file_ =
        CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file_ != INVALID_HANDLE_VALUE;
  }

  void Write(const char* format, ...) {
    if (file_ == INVALID_HANDLE_VALUE) return;
    char line[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) return;
    size_t len = static_cast<size_t>(n) < sizeof line - 2 ? static_cast<size_t>(n) : sizeof line - 2;
    line[len++] = '\n';
    DWORD written = 0;
    WriteFile(file_, line, static_cast<DWORD>(len), &written, nullptr);
  }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::string Narrow(const std::wstring& wide) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr,
                        nullptr);
  return bytes;
}

// The modes of a modern client's chat; a prefix at the start of the chat chooses one.
enum class ChatMode { kSay, kWhisper, kEmote, kYell, kParty, kGuild, kAlliance, kCommand, kUoam };

struct ChatModeLook {
  const char* name;   // in the log
  const char* label;  // shown in front of the chat instead of the prefix
  COLORREF colour;
};

ChatModeLook LookOf(ChatMode mode) {
  switch (mode) {
    case ChatMode::kWhisper:
      return {"whisper", "Whisper: ", kWhisperText};
    case ChatMode::kEmote:
      return {"emote", "Emote: ", kEmoteText};
    case ChatMode::kYell:
      return {"yell", "Yell: ", kYellText};
    case ChatMode::kParty:
      return {"party", "Party: ", kGroupText};
    case ChatMode::kGuild:
      return {"guild", "Guild: ", kGroupText};
    case ChatMode::kAlliance:
      return {"alliance", "Alliance: ", kGroupText};
    case ChatMode::kCommand:
      return {"command", "Command: ", kHintText};
    case ChatMode::kUoam:
      return {"uoam", "UOAM: ", kHintText};
    case ChatMode::kSay:
      break;
  }
  return {"say", "", kSayText};
}

// The mode a chat in say mode switches to at the next frame. The client's own chat line ("," a
// server enables) is left out: the practice window has no server.
ChatMode PrefixMode(const std::wstring& text) {
  if (text.empty()) return ChatMode::kSay;
  switch (text[0]) {
    case L'/':
      return ChatMode::kParty;
    case L'\\':
      return ChatMode::kGuild;
    case L'|':
      return ChatMode::kAlliance;
    case L'-':
      return ChatMode::kCommand;
    default:
      break;
  }
  if (text.size() < 2 || text[1] != L' ') return ChatMode::kSay;
  switch (text[0]) {
    case L':':
      return ChatMode::kEmote;
    case L';':
      return ChatMode::kWhisper;
    case L'!':
      return ChatMode::kYell;
    default:
      return ChatMode::kSay;
  }
}

// What .NET's TrimStart takes away.
bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// A chat longer than one message sends the part before the last blank at or before the 100th
// character (all 100 when there is none) and keeps the rest, its leading blanks dropped, with
// its mode; a command goes whole. False when the text goes whole.
bool SplitMessage(const std::wstring& text, ChatMode mode, std::wstring& message, std::wstring& rest) {
  if (text.size() <= kMaxMessage || mode == ChatMode::kCommand) return false;
  size_t cut = text.find_last_of(L" \n", kMaxMessage);
  if (cut == std::wstring::npos) cut = kMaxMessage;
  message = text.substr(0, cut);
  size_t start = cut;
  while (start < text.size() && IsWhiteSpace(text[start])) ++start;
  rest = text.substr(start);
  return true;
}

// The key a key message stands for: SDL reads it from the scan code and only falls back to the
// virtual key when there is none.
unsigned KeyOf(WPARAM wp, LPARAM lp) {
  unsigned scan = (static_cast<unsigned long>(lp) >> 16) & 0xFF;
  bool extended = ((static_cast<unsigned long>(lp) >> 24) & 1) != 0;
  if (scan == 0 || extended) return static_cast<unsigned>(wp);
  UINT vk = MapVirtualKeyW(scan, MAPVK_VSC_TO_VK_EX);
  return vk ? vk : static_cast<unsigned>(wp);
}

template <typename T>
class GdiObject {
 public:
  explicit GdiObject(T handle = nullptr) : handle_(handle) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() {
    if (handle_) DeleteObject(handle_);
  }
  T get() const { return handle_; }

 private:
  T handle_;
};

class SelectInDc {
 public:
  SelectInDc(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  SelectInDc(const SelectInDc&) = delete;
  SelectInDc& operator=(const SelectInDc&) = delete;
  ~SelectInDc() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class FakeGame {
 public:
  explicit FakeGame(Options options)
      : options_(std::move(options)),
        titleFont_(MakeFont(-16, FW_BOLD)),
        chatFont_(MakeFont(-14, FW_NORMAL)),
        chatWideFont_(MakeWideFont(-14)),
        hintFont_(MakeFont(-12, FW_NORMAL)) {}

  bool Create(HINSTANCE instance) {
    if (!log_.Open(options_.logPath)) return false;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    // The same class either way; only the modern client's is Unicode.
    auto classFor = [&](auto& wc, auto name) {
      wc.style = CS_HREDRAW | CS_VREDRAW;
      wc.lpfnWndProc = &FakeGame::WndProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
      wc.lpszClassName = name;
      return &wc;
    };
    if (options_.modern) {
      WNDCLASSW wc = {};
      if (!RegisterClassW(classFor(wc, kModernClassName))) return false;
      hwnd_ = CreateWindowExW(0, kModernClassName, Wide(options_.title).c_str(), style, options_.x,
                              options_.y, width, height, nullptr, nullptr, instance, this);
    } else {
      WNDCLASSA wc = {};
      if (!RegisterClassA(classFor(wc, options_.className.c_str()))) return false;
      hwnd_ = CreateWindowExA(0, options_.className.c_str(), options_.title.c_str(), style, options_.x,
                              options_.y, width, height, nullptr, nullptr, instance, this);
    }
    if (!hwnd_) return false;
    if (!options_.hidden) {
      ShowWindow(hwnd_, SW_SHOWNORMAL);
      UpdateWindow(hwnd_);
    }
    log_.Write("ready hwnd=0x%llX pid=%lu visible=%d unicode=%d",
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd_)), GetCurrentProcessId(),
               IsWindowVisible(hwnd_) ? 1 : 0, IsWindowUnicode(hwnd_) ? 1 : 0);
    if (options_.modern) SetTimer(hwnd_, kFrameTimer, kFrameMs, nullptr);
    if (options_.enterChat) log_.Write(chatOpen_ ? "chat open" : "chat closed");
    return true;
  }

  bool Modern() const { return options_.modern; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FakeGame*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
      return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
    return self->Handle(hwnd, msg, wp, lp);
  }

  LRESULT Default(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return options_.modern ? DefWindowProcW(hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_IME_CHAR:
        log_.Write("ime_char wparam=0x%04X lparam=%ld", static_cast<unsigned>(wp), static_cast<long>(lp));
        // A modern client takes it as the system turns it into WM_CHAR.
        if (options_.modern) break;
        OnCharCode(static_cast<unsigned>(wp));
        return 0;  // not to DefWindowProc: its WM_CHAR echo would type every character twice
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        LogKey(msg, wp, lp);
        if (options_.modern) {
          const unsigned key = KeyOf(wp, lp);
          // The client keeps the modifiers' state from their own key events.
          if (key == VK_SHIFT || key == VK_LSHIFT || key == VK_RSHIFT) shift_ = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
          if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) OnModernKeyDown(key);
        } else if (msg == WM_KEYDOWN) {
          OnKeyDown(static_cast<unsigned>(wp));
        }
        break;
      case WM_CHAR:
        if (options_.modern) {
          OnModernChar(static_cast<wchar_t>(wp));
        } else {
          OnTypedChar(static_cast<unsigned>(wp));
        }
        return 0;
      case WM_TIMER:
        if (wp == kFrameTimer) OnFrame();
        return 0;
      case WM_ACTIVATE:
        log_.Write("activate state=%u minimized=%u", LOWORD(wp), HIWORD(wp));
        active_ = LOWORD(wp) != WA_INACTIVE;
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
      case WM_SETFOCUS:
        log_.Write("setfocus");
        break;
      case WM_KILLFOCUS:
        log_.Write("killfocus");
        break;
      case WM_ERASEBKGND:
        return 1;  // the whole client is painted double-buffered
      case WM_PAINT:
        Paint(hwnd);
        return 0;
      case WM_CLOSE:
        log_.Write("close");
        break;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
    return Default(hwnd, msg, wp, lp);
  }

  void LogKey(UINT msg, WPARAM wp, LPARAM lp) {
    const char* name = msg == WM_KEYDOWN      ? "keydown"
                       : msg == WM_KEYUP      ? "keyup"
                       : msg == WM_SYSKEYDOWN ? "syskeydown"
                                              : "syskeyup";
    unsigned scan = (static_cast<unsigned long>(lp) >> 16) & 0xFF;
    unsigned extended = (static_cast<unsigned long>(lp) >> 24) & 1;
    log_.Write("%s vk=0x%02X scan=0x%02X ext=%u", name, static_cast<unsigned>(wp), scan, extended);
  }

  // A double-byte character arrives as one code, lead byte high; the chat line keeps its bytes.
  void OnCharCode(unsigned code) {
    if (code > 0xFF) typing_ += static_cast<char>((code >> 8) & 0xFF);
    typing_ += static_cast<char>(code & 0xFF);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // Keys typed on the keyboard by a player practising; Enter is taken from WM_KEYDOWN instead.
  void OnTypedChar(unsigned code) {
    if (code == '\r' || code == '\n') return;
    if (code == '\b') {
      if (!typing_.empty()) typing_.pop_back();
      InvalidateRect(hwnd_, nullptr, FALSE);
      return;
    }
    if (code >= 0x20) OnCharCode(code);
  }

  // As the modern clients take text: only while the window has the keyboard, never a control
  // character, kept in the code page's bytes like every other line here.
  // Then, as the client: nothing while it ignores text after an assistant's key, nothing into a
  // closed chat.
  void OnModernChar(wchar_t code) {
    const bool focused = GetFocus() == hwnd_;
    const char* why = !focused || code < 0x20 || code == 0x7F ? nullptr
                      : ignoreText_                           ? "ignored"
                      : !chatOpen_                            ? "closed"
                                                              : "";
    const bool kept = why && !*why;
    if (why && *why) {
      log_.Write("char wparam=0x%04X focus=%d kept=0 why=%s", static_cast<unsigned>(code), focused ? 1 : 0,
                 why);
    } else {
      log_.Write("char wparam=0x%04X focus=%d kept=%d", static_cast<unsigned>(code), focused ? 1 : 0,
                 kept ? 1 : 0);
    }
    if (!kept) return;
    char bytes[8];
    int n = WideCharToMultiByte(CP_ACP, 0, &code, 1, bytes, sizeof bytes, nullptr, nullptr);
    if (n > 0) typing_.append(bytes, static_cast<size_t>(n));
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void OnKeyDown(unsigned vk) {
    if (vk != VK_RETURN) return;
    log_.Write("line hex=%s", Hex(typing_).c_str());
    const COLORREF colour = LineColour(typing_);
    AddLine(std::move(typing_), colour);
    typing_.clear();
  }

  void AddLine(std::string text, COLORREF colour) {
    lines_.push_back({std::move(text), colour});
    while (lines_.size() > kMaxLines) lines_.pop_front();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // Every key-down passes the assistants first; one they take leaves the client ignoring text
  // until a key-down they let through.
  void OnModernKeyDown(unsigned key) {
    if (GetFocus() != hwnd_) return;
    if (key == kAssistantKey) {
      ignoreText_ = true;
      log_.Write("assistant key");
      InvalidateRect(hwnd_, nullptr, FALSE);
      return;
    }
    ignoreText_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (key == VK_RETURN) {
      OnModernEnter();
    } else if (key == VK_BACK && chatOpen_) {
      std::wstring text = Wide(typing_);
      if (text.empty()) mode_ = ChatMode::kSay;  // back over the mode itself
      if (!text.empty()) text.pop_back();
      typing_ = Narrow(text);
    }
  }

  // A closed chat only opens, with Shift or without. An open one sends its first message, keeps
  // what did not fit for another Enter, and with Enter-to-chat closes once nothing is left,
  // unless Shift is held ("Use Shift+Enter to send message without closing chat", on by default).
  void OnModernEnter() {
    if (!chatOpen_) {
      SetChatOpen(true);
      return;
    }
    log_.Write("line hex=%s", Hex(typing_).c_str());
    const std::wstring text = Wide(typing_);
    std::wstring message, rest;
    if (!SplitMessage(text, mode_, message, rest)) message = text;
    const ChatModeLook look = LookOf(mode_);
    // An emote goes out between asterisks.
    const std::string sent = Narrow(mode_ == ChatMode::kEmote ? L"*" + message + L"*" : message);
    log_.Write("sent mode=%s hex=%s", look.name, Hex(sent).c_str());
    AddLine(look.label + sent, look.colour);
    typing_ = Narrow(rest);
    if (!typing_.empty()) {
      log_.Write("rest hex=%s", Hex(typing_).c_str());
    } else {
      mode_ = ChatMode::kSay;
      if (options_.enterChat && !shift_) SetChatOpen(false);
    }
  }

  void SetChatOpen(bool open) {
    chatOpen_ = open;
    typing_.clear();
    log_.Write(open ? "chat open" : "chat closed");
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // A prefix turns the say mode into another. The client then shows the mode instead and keeps
  // none of the text the prefix was found in: words typed with the prefix within one frame go.
  void OnFrame() {
    if (!chatOpen_) return;
    ChatMode next = mode_;
    if (mode_ == ChatMode::kSay) {
      next = PrefixMode(Wide(typing_));
    } else if (mode_ == ChatMode::kCommand && typing_ == "-") {
      next = ChatMode::kUoam;
    }
    if (next == mode_) return;
    mode_ = next;
    typing_.clear();
    log_.Write("mode name=%s", LookOf(mode_).name);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  static HFONT MakeFont(int height, int weight) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
  }

  // A face for the characters of the system's code page that the Latin face lacks (kana, kanji).
  static HFONT MakeWideFont(int height) {
    CHARSETINFO info = {};
    BYTE charset = DEFAULT_CHARSET;
    if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &info,
                             TCI_SRCCODEPAGE)) {
      charset = static_cast<BYTE>(info.ciCharset);
    }
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "");
  }

  // Draws a received line left-aligned and vertically centred in the rectangle. The bytes are in
  // the system code page; Latin runs use the chat face and the rest the wide face, since not every
  // system links a face for double-byte characters into a Latin one.
  void DrawChatText(HDC dc, const std::string& bytes, const RECT& rect) {
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    int x = rect.left;
    size_t pos = 0;
    while (pos < text.size() && x < rect.right) {
      bool wide = text[pos] > 0x24F;
      size_t end = pos;
      while (end < text.size() && (text[end] > 0x24F) == wide) ++end;
      SelectInDc font(dc, wide ? chatWideFont_.get() : chatFont_.get());
      SIZE extent = {};
      GetTextExtentPoint32W(dc, text.c_str() + pos, static_cast<int>(end - pos), &extent);
      int y = (rect.top + rect.bottom - extent.cy) / 2;
      ExtTextOutW(dc, x, y, ETO_CLIPPED, &rect, text.c_str() + pos, static_cast<UINT>(end - pos), nullptr);
      x += extent.cx;
      pos = end;
    }
  }

  static COLORREF LineColour(const std::string& line) {
    if (line.size() >= 3 && line.compare(0, 3, "! *") == 0) return kEmoteText;
    if (line.size() >= 2 && line.compare(0, 2, "! ") == 0) return kYellText;
    if (line.size() >= 2 && line.compare(0, 2, ": ") == 0) return kEmoteText;
    return kSayText;
  }

  void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HDC dc = CreateCompatibleDC(screen);
    {
      GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
      SelectInDc keepBitmap(dc, bitmap.get());
      DrawScene(dc, client);
      BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    }
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
  }

  void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
  }

  void DrawScene(HDC dc, const RECT& client) {
    Fill(dc, client, kBackground);
    SetBkMode(dc, TRANSPARENT);

    // Header: title and whether the window has the keyboard.
    RECT header = {16, 10, client.right - 16, 34};
    {
      SelectInDc font(dc, titleFont_.get());
      SetTextColor(dc, kTitleText);
      DrawTextA(dc, options_.modern ? "Practice chat (modern client)" : "Practice chat", -1, &header,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    {
      SelectInDc font(dc, hintFont_.get());
      SetTextColor(dc, kHintText);
      RECT status = header;
      status.right -= 18;
      DrawTextA(dc, active_ ? "in front" : "in the background", -1, &status,
                DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
      GdiObject<HBRUSH> dot(CreateSolidBrush(active_ ? kActiveDot : kInactiveDot));
      GdiObject<HPEN> noPen(CreatePen(PS_NULL, 0, 0));
      SelectInDc brush(dc, dot.get());
      SelectInDc pen(dc, noPen.get());
      int cy = (header.top + header.bottom) / 2;
      Ellipse(dc, header.right - 11, cy - 5, header.right - 1, cy + 5);
    }

    // The chat panel: received lines, newest at the bottom, then the line being typed.
    RECT panel = {12, 40, client.right - 12, client.bottom - 36};
    Fill(dc, panel, kPanelBorder);
    RECT inner = {panel.left + 1, panel.top + 1, panel.right - 1, panel.bottom - 1};
    Fill(dc, inner, kPanel);

    SelectInDc font(dc, chatFont_.get());
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int lineHeight = metrics.tmHeight + 4;
    int inputTop = inner.bottom - lineHeight - 6;

    RECT separator = {inner.left + 8, inputTop - 4, inner.right - 8, inputTop - 3};
    Fill(dc, separator, kPanelBorder);

    RECT inputRect = {inner.left + 10, inputTop, inner.right - 10, inputTop + lineHeight};
    if (chatOpen_) {
      SetTextColor(dc, options_.modern ? LookOf(mode_).colour : kInputText);
      DrawChatText(dc, std::string("> ") + (options_.modern ? LookOf(mode_).label : "") + typing_ + "_",
                   inputRect);
    } else {
      SetTextColor(dc, kHintText);
      DrawTextA(dc, "(chat closed: Enter opens it)", -1, &inputRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }

    int y = inputTop - 8 - lineHeight;
    for (auto it = lines_.rbegin(); it != lines_.rend() && y >= inner.top + 4; ++it, y -= lineHeight) {
      SetTextColor(dc, it->colour);
      RECT lineRect = {inner.left + 10, y, inner.right - 10, y + lineHeight};
      DrawChatText(dc, it->text, lineRect);
    }
    if (lines_.empty()) {
      SetTextColor(dc, kHintText);
      RECT empty = {inner.left, inner.top, inner.right, inputTop - 8};
      DrawTextA(dc, "No lines yet", -1, &empty, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    SelectInDc hint(dc, hintFont_.get());
    SetTextColor(dc, kHintText);
    RECT hintRect = {16, client.bottom - 30, client.right - 16, client.bottom - 8};
    DrawTextA(dc, HintText().c_str(), -1, &hintRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }

  std::string HintText() const {
    if (!options_.modern) return "Send a line from Parlo, or type here; Enter ends the line.";
    if (ignoreText_)
      return std::string("Typing is ignored after the assistant's key ") + kAssistantKeyName +
             " until another key is pressed.";
    return std::string(options_.enterChat ? "Enter opens the chat, Enter sends and closes it"
                                          : "Enter sends") +
           "; " + kAssistantKeyName + " stands for an assistant's hot key.";
  }

  Options options_;
  EventLog log_;
  HWND hwnd_ = nullptr;
  GdiObject<HFONT> titleFont_;
  GdiObject<HFONT> chatFont_;
  GdiObject<HFONT> chatWideFont_;
  GdiObject<HFONT> hintFont_;
  struct ChatLine {
    std::string text;
    COLORREF colour;
  };
  std::deque<ChatLine> lines_;
  std::string typing_;
  bool active_ = false;
  // The modern client's chat.
  bool chatOpen_ = !options_.enterChat || options_.chatOpen;
  bool shift_ = false;
  bool ignoreText_ = false;
  ChatMode mode_ = ChatMode::kSay;
};

}  // namespace
}  // namespace parlo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  parlo::Options options;
  if (!parlo::ParseOptions(__argc, __argv, options)) {
    MessageBoxA(nullptr, parlo::kUsage, parlo::kDefaultTitle, MB_OK | MB_ICONINFORMATION);
    return 2;
  }
  parlo::FakeGame game(options);
  if (!game.Create(instance)) return 1;
  // A Unicode window's characters stay wide only through the W loop.
  MSG msg;
  if (game.Modern()) {
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } else {
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
