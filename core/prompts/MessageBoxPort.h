#pragma once
#include "core/text/Bytes.h"

namespace parlo {

// Values of the platform's message-box flags and answers that the program's prompts use.
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// A modal message box. Which window owns it (the application as a whole, the main window or
// a dialog) is fixed by whoever provides the port.
class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  virtual int Show(const Bytes& text, const Bytes& caption, unsigned flags) = 0;
};

}  // namespace parlo
