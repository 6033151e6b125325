#include "tests/e2e/driver/Scenario.h"

#include <cstdio>

namespace parlo::e2e {

void Scenario::TearDown() {
  if (HasFailure()) {
    try {
      std::string path = Shot("failure");
      std::printf("screenshot of the failure: %s\n", path.c_str());
    } catch (const DriverError& error) {
      std::printf("no screenshot: %s\n", error.what());
    }
  }
  parlo_.reset();
  game_.reset();
  second_.reset();
}

void Scenario::Settle() {
  for (HANDLE process : {parlo_ ? parlo_->Process().Handle() : nullptr, game_ ? game_->Process().Handle() : nullptr,
                         second_ ? second_->Process().Handle() : nullptr}) {
    if (process) WaitForInputIdle(process, 2000);
  }
}

std::string Scenario::Shot(const std::string& label, HWND window) {
  Settle();
  std::string name = CurrentTestName() + "-" + label;
  return window ? TakeWindowShot(name, window) : TakeScreenshot(name);
}

FakeGame& Scenario::StartGame(const FakeGame::Options& options) {
  game_.reset();
  game_.emplace(FakeGame::Start(Dir().Path(), options));
  return *game_;
}

FakeGame& Scenario::StartSecondGame(const FakeGame::Options& options) {
  second_.reset();
  second_.emplace(FakeGame::Start(Dir().Path(), options));
  return *second_;
}

ParloApp& Scenario::StartParlo() {
  parlo_.reset();
  parlo_.emplace(ParloApp::Launch(Dir()));
  return *parlo_;
}

}  // namespace parlo::e2e
