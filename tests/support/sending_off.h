// Every test of a program that includes this starts with score sending off ([Scores] Server=off and
// Submit=off), so that no test can post a score or a game to a real server on this machine. A test that owns a port turns sending
// on for itself (scoreServerChoice.off = false, and the port it owns); the next test starts off again.
#pragma once

#include <gtest/gtest.h>

#include "net/score_client.h"

class SendingOffByDefault : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo& /*test*/) override { TurnSendingOff(); }

    static void TurnSendingOff() {
        scoreServerChoice = ScoreServerChoice{};
        scoreServerChoice.off = true;
        submitChoice = SubmitChoice{};
        submitChoice.off = true;
        SetDefaultScoreSettings();
    }

    // Installs the listener once per program, before any test runs.
    static bool Install() {
        testing::UnitTest::GetInstance()->listeners().Append(new SendingOffByDefault);
        TurnSendingOff();
        return true;
    }
};
