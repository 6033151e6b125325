#pragma once
#include <windows.h>

namespace parlo::e2e {

// Polls a condition until it holds or the time runs out; the last look happens after the deadline,
// so a condition that came true while we slept still counts. Never a fixed sleep where a
// condition can be polled.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs, int pollMs = 10) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return condition();
    Sleep(static_cast<DWORD>(pollMs));
  }
}

// Default bounds, generous enough for a cold Wine start yet short enough to fail quickly.
constexpr int kStartTimeoutMs = 10000;
constexpr int kEventTimeoutMs = 5000;
constexpr int kExitTimeoutMs = 10000;

}  // namespace parlo::e2e
