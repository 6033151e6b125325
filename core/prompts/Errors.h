#pragma once
#include <stdexcept>
#include <string>

#include "core/text/Bytes.h"

namespace parlo {

// An error meant for the user, shown in the exception box as its text followed by ".".
// The text is ANSI bytes (paths, names). A fixed text of the program that is not ASCII goes
// into utf8Tail so that it reads correctly whatever the system's code page.
class ParloError : public std::runtime_error {
 public:
  explicit ParloError(Bytes ansiText, std::string utf8Tail = {})
      : std::runtime_error(ansiText), ansiText_(std::move(ansiText)), utf8Tail_(std::move(utf8Tail)) {}
  const Bytes& AnsiText() const { return ansiText_; }
  const std::string& Utf8Tail() const { return utf8Tail_; }

 private:
  Bytes ansiText_;
  std::string utf8Tail_;
};

}  // namespace parlo
