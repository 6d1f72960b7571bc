// The fatal report is what a player sees when a file is missing: its text and exit status are fixed.
#include "res/error_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ErrorReportDeathTest, FatalReportWritesTheQuotedTextAndExitsWithOne) {
    EXPECT_EXIT(ReportError("Couldn't Load Sample: %s\n", "data/sound/bip.wav"), ::testing::ExitedWithCode(1),
                "^ Error: 'Couldn't Load Sample: data/sound/bip.wav\n'\n$");
}

TEST(ErrorReportDeathTest, OverlongTextIsCutNotOverflowed) {
    std::string huge(10000, 'x');
    // Spelled out: GoogleTest's own regular expressions (on Windows) have no repeat counts.
    std::string cut = "^ Error: '" + std::string(4095, 'x') + "'\n$";
    EXPECT_EXIT(ReportError("%s", huge.c_str()), ::testing::ExitedWithCode(1), cut);
}

TEST(ErrorReportTest, NonFatalModeOnlyRaisesTheFlag) {
    SetErrorsFatal(nullptr);
    ::testing::internal::CaptureStderr();
    ReportError("Cannot Load %s", "data/x.png");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(ErrorRaised());
    ClearErrorRaised();
    EXPECT_FALSE(ErrorRaised());
    ReportError("again");
    SetErrorsFatal(reinterpret_cast<const void*>(1));
    EXPECT_FALSE(ErrorRaised());
}

TEST(ErrorReportTest, AssertAndNoteLines) {
    ::testing::internal::CaptureStderr();
    ReportAssert(true, "never %d", 1);
    ReportAssert(false, "x=%d", 2);
    ReportNote("loaded %s", "menu");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), " AssertFailed: x=2\n - loaded menu\n");
}

TEST(ErrorReportDeathTest, LogStartsAfreshInEveryRun) {
    // Each death-test child is a fresh process, so its first LogLine truncates what an earlier run left.
    auto run = [] {
        LogLine("first");
        LogLine("second");
        exit(0);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile("game.log"), "first\nsecond\n");
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile("game.log"), "first\nsecond\n");
    remove("game.log");
}

}  // namespace
