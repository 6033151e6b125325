#pragma once
#include <exception>

namespace parlo {

// The box for an error that escapes a handler, start-up, shut-down or the program entry:
// the error's message followed by ".", caption "Parlo!", error icon and OK, modal to the
// whole application. The program goes on afterwards.
void ShowExceptionBox(const std::exception& error);

// Runs an action; an error escaping it is shown in the exception box. Returns whether it
// finished without one.
template <typename Action>
bool RunGuarded(Action&& action) {
  try {
    action();
    return true;
  } catch (const std::exception& error) {
    ShowExceptionBox(error);
  } catch (...) {
    ShowExceptionBox(std::exception());
  }
  return false;
}

}  // namespace parlo
