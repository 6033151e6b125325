#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/e2e/driver/FakeGame.h"
#include "tests/e2e/driver/Files.h"
#include "tests/e2e/driver/ParloApp.h"
#include "tests/e2e/driver/Process.h"
#include "tests/e2e/driver/Screenshot.h"
#include "tests/e2e/driver/Ui.h"
#include "tests/e2e/driver/Wait.h"

namespace parlo::e2e {

// Base fixture of the end-to-end scenarios: a fresh folder per test, at most one Parlo and one
// fake game owned by the fixture, a screenshot when the test failed, and every started process
// ended by its handle afterwards whatever happened.
class Scenario : public ::testing::Test {
 protected:
  void SetUp() override { dir_.emplace(CurrentTestName()); }
  void TearDown() override;

  const ScenarioDir& Dir() const { return *dir_; }

  FakeGame& StartGame(const FakeGame::Options& options = FakeGame::Options());
  FakeGame& Game() { return game_.value(); }
  // A second client beside the first (its own log name in the options).
  FakeGame& StartSecondGame(const FakeGame::Options& options);
  FakeGame& SecondGame() { return second_.value(); }

  ParloApp& StartParlo();
  ParloApp& Parlo() { return parlo_.value(); }

  // Runs a program built beside the scenarios (e.g. "saytool.exe") in the scenario folder.
  DWORD RunTool(const std::string& exeName, const std::vector<std::string>& args,
                int timeoutMs = 10000) const {
    return RunProgram(JoinPath(ExeDir(), exeName), args, Dir().Path(), timeoutMs);
  }

  // A screenshot named after the test and the given label, of the whole screen or of one window,
  // taken once the programs of the scenario have painted.
  std::string Shot(const std::string& label, HWND window = nullptr);
  // Waits (bounded) until the scenario's programs have handled their pending messages and paints.
  void Settle();

 private:
  std::optional<ScenarioDir> dir_;
  // Declared after the folder: destroyed first, killing what still runs.
  std::optional<FakeGame> game_;
  std::optional<FakeGame> second_;
  std::optional<ParloApp> parlo_;
};

}  // namespace parlo::e2e
