// The score screen's words about a finished game: ordinals in both languages, each answer of the score
// server as a player reads it, the player's own line, and which answer belongs to the game.
#include "app/finished_game.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfx/font.h"

namespace {

constexpr NewsLanguage kFr = NewsLanguage::French;
constexpr NewsLanguage kEn = NewsLanguage::English;

FinishedGame Answered(SubmissionState state, int rank = 0, int of = 0, bool daily = false,
                      const char* reason = "") {
    FinishedGame game;
    game.shown = true;
    game.ticket = 7;
    game.answered = true;
    game.answer.ticket = 7;
    game.answer.state = state;
    game.answer.rank = rank;
    game.answer.of = of;
    game.answer.daily = daily;
    game.answer.reason = reason;
    return game;
}

// Every character of a line must be one the font draws (or a space), or the player sees holes.
bool AllDrawable(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        const auto lead = static_cast<unsigned char>(line[i]);
        int code = lead;
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < line.size()) {
            code = (lead & 0x1F) << 6 | (static_cast<unsigned char>(line[++i]) & 0x3F);
        }
        if (code != ' ' && !IsFontChar(code)) {
            return false;
        }
    }
    return true;
}

TEST(FinishedGameText, OrdinalsInEnglishFollowTheLastTwoDigits) {
    const std::pair<int, const char*> cases[] = {
        {1, "1ST"},     {2, "2ND"},     {3, "3RD"},     {4, "4TH"},       {10, "10TH"},     {11, "11TH"},
        {12, "12TH"},   {13, "13TH"},   {14, "14TH"},   {21, "21ST"},     {22, "22ND"},     {23, "23RD"},
        {101, "101ST"}, {111, "111TH"}, {112, "112TH"}, {1013, "1013TH"}, {1021, "1021ST"},
    };
    for (const auto& [number, text] : cases) {
        EXPECT_EQ(OrdinalText(number, kEn), text) << number;
    }
    EXPECT_EQ(OrdinalText(0, kEn), "");
    EXPECT_EQ(OrdinalText(-3, kEn), "");
}

TEST(FinishedGameText, OrdinalsInFrenchAreFirstThenE) {
    EXPECT_EQ(OrdinalText(1, kFr), "1ER");
    EXPECT_EQ(OrdinalText(2, kFr), "2E");
    EXPECT_EQ(OrdinalText(3, kFr), "3E");
    EXPECT_EQ(OrdinalText(11, kFr), "11E");
    EXPECT_EQ(OrdinalText(21, kFr), "21E");
    EXPECT_EQ(OrdinalText(101, kFr), "101E");
    EXPECT_EQ(OrdinalText(0, kFr), "");
}

TEST(FinishedGameText, EachAnswerReadsInBothLanguages) {
    struct Case {
        FinishedGame game;
        const char* english;
        const char* french;
    };
    const Case cases[] = {
        {Answered(SubmissionState::Verified, 12, 345), "VERIFIED, 12TH OF 345 TODAY",
         "VÉRIFIÉ, 12E SUR 345 AUJOURD'HUI"},
        {Answered(SubmissionState::Verified, 1, 1, true), "VERIFIED, 1ST OF 1 IN THE DAILY GAME",
         "VÉRIFIÉ, 1ER SUR 1 À LA PARTIE DU JOUR"},
        {Answered(SubmissionState::Verified, 3, 0), "VERIFIED, 3RD TODAY", "VÉRIFIÉ, 3E AUJOURD'HUI"},
        {Answered(SubmissionState::Verified), "VERIFIED", "VÉRIFIÉ"},
        {Answered(SubmissionState::Stored, 0, 0, false, "unknown rules version"), "SENT, NOT VERIFIED",
         "ENVOYÉ, NON VÉRIFIÉ"},
        {Answered(SubmissionState::Sent), "SCORE SENT", "SCORE ENVOYÉ"},
        {Answered(SubmissionState::Kept), "KEPT, WILL BE SENT LATER", "GARDÉ, SERA ENVOYÉ PLUS TARD"},
        {Answered(SubmissionState::Refused, 0, 0, false, "score mismatch"), "REFUSED: score mismatch",
         "REFUSÉ : SCORE NON CONFORME"},
        {Answered(SubmissionState::Refused, 0, 0, false, "copy"), "REFUSED: copy",
         "REFUSÉ : PARTIE DÉJÀ REÇUE"},
        {Answered(SubmissionState::Refused), "REFUSED", "REFUSÉ"},
    };
    for (const Case& c : cases) {
        const std::string english = AnswerLine(c.game, kEn);
        const std::string french = AnswerLine(c.game, kFr);
        EXPECT_EQ(english, c.english);
        EXPECT_EQ(french, c.french);
        EXPECT_TRUE(AllDrawable(english)) << english;
        EXPECT_TRUE(AllDrawable(french)) << french;
    }
}

TEST(FinishedGameText, WaitingSaysSoAndNothingSentSaysNothing) {
    FinishedGame game;
    game.shown = true;
    game.ticket = 3;
    EXPECT_EQ(AnswerLine(game, kEn), "SENDING...");
    EXPECT_EQ(AnswerLine(game, kFr), "ENVOI...");
    game.ticket = 0;  // Submit=off and Server=off
    game.answered = true;
    EXPECT_EQ(AnswerLine(game, kEn), "");
    EXPECT_EQ(AnswerLine(game, kFr), "");
}

// A refusal's reason comes from the network: whatever it holds, the line stays drawable and on the card.
TEST(FinishedGameText, AStrangeReasonIsCleanedAndCut) {
    const FinishedGame game =
        Answered(SubmissionState::Refused, 0, 0, false,
                 "weird <b>\"reason\"</b>\t\xc3\xa9\n and a tail that goes on and on and on");
    for (NewsLanguage language : {kEn, kFr}) {
        const std::string line = AnswerLine(game, language);
        EXPECT_TRUE(AllDrawable(line)) << line;
        EXPECT_LE(TextCells(line.c_str()), kNewsLineCells) << line;
        EXPECT_EQ(line.substr(line.size() - 3), "...") << line;
        EXPECT_EQ(line.find("  "), std::string::npos) << line;
    }
    EXPECT_EQ(AnswerLine(Answered(SubmissionState::Refused, 0, 0, false, "daily date out of range"), kFr),
              "REFUSÉ : PARTIE DU JOUR PÉRIMÉE");
    EXPECT_EQ(AnswerLine(Answered(SubmissionState::Refused, 0, 0, false, "HTTP 403"), kFr),
              "REFUSÉ : HTTP 403");
    EXPECT_EQ(
        AnswerLine(Answered(SubmissionState::Refused, 0, 0, false, "the game cannot be put in a submission"),
                   kFr),
        "REFUSÉ : PARTIE IMPOSSIBLE À ENVOYER");
    // A huge rank still fits.
    const std::string big =
        AnswerLine(Answered(SubmissionState::Verified, 2147483647, 2147483647, true), kFr);
    EXPECT_LE(TextCells(big.c_str()), kNewsLineCells) << big;
}

TEST(FinishedGameText, TheOwnLineShowsNameScoreAndLevelAndShortensToFit) {
    FinishedGame game;
    strcpy(game.name, "Ann");
    game.score = 1234;
    game.level = 3;
    EXPECT_EQ(ResultLine(game, kEn), "YOUR GAME: Ann  001234  LEVEL 3");
    EXPECT_EQ(ResultLine(game, kFr), "VOTRE PARTIE : Ann  001234  NIVEAU 3");
    game.daily = true;
    EXPECT_EQ(ResultLine(game, kEn), "DAILY GAME: Ann  001234  LEVEL 3");
    EXPECT_EQ(ResultLine(game, kFr), "PARTIE DU JOUR : Ann  001234  NIVEAU 3");
    // A name of 27 characters leaves no room for the caption.
    strcpy(game.name, "ABCDEFGHIJKLMNOPQRSTUVWXYZA");
    EXPECT_EQ(ResultLine(game, kFr), "ABCDEFGHIJKLMNOPQRSTUVWXYZA  001234  NIVEAU 3");
    game.level = 1000000;
    game.score = -2000000000;
    const std::string longest = ResultLine(game, kFr);
    EXPECT_LE(TextCells(longest.c_str()), kNewsLineCells) << longest;
    EXPECT_EQ(longest.find("ABCDEFGHIJKLMNOPQRSTUVWXYZA"), 0U);
    game.name[0] = '\0';
    game.level = 2;
    game.score = 50;
    game.daily = false;
    EXPECT_EQ(ResultLine(game, kEn), "YOUR GAME: (NO NAME)  000050  LEVEL 2");
}

TEST(FinishedGameText, OnlyTheGamesOwnTicketAnswersIt) {
    FinishedGame game;
    game.ticket = 5;
    std::vector<SubmissionResult> results(3);
    results[0].ticket = 4;  // an older game from the outbox
    results[0].state = SubmissionState::Refused;
    results[1].ticket = 5;
    results[1].state = SubmissionState::Kept;
    results[2].ticket = 6;
    results[2].state = SubmissionState::Sent;
    TakeAnswer(&game, results);
    ASSERT_TRUE(game.answered);
    EXPECT_EQ(game.answer.state, SubmissionState::Kept);
    // Kept now, sent by a later round of the same run: the later answer wins.
    SubmissionResult later;
    later.ticket = 5;
    later.state = SubmissionState::Verified;
    later.rank = 2;
    later.of = 9;
    TakeAnswer(&game, {later});
    EXPECT_EQ(AnswerLine(game, kEn), "VERIFIED, 2ND OF 9 TODAY");
    // A game that sent nothing takes no answer, whatever ticket 0 might carry.
    FinishedGame unsent;
    SubmissionResult zero;
    TakeAnswer(&unsent, {zero});
    EXPECT_FALSE(unsent.answered);
}

TEST(FinishedGameText, AnyLanguageButFrenchReadsEnglish) {
    EXPECT_EQ(NewsLanguageOf("fr"), kFr);
    EXPECT_EQ(NewsLanguageOf("en"), kEn);
    EXPECT_EQ(NewsLanguageOf("xx"), kEn);
    EXPECT_EQ(NewsLanguageOf(nullptr), kEn);
}

}  // namespace
