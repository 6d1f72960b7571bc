// What the score screen says about the game just finished: which row of the table it took, the player's
// own line (name, score, level) and the score server's answer, in the game's language. The texts are
// made here without a window or a clock; the menu draws them (app/menu.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "core/name_rules.h"
#include "net/score_sender.h"

// The languages the texts are written in; any other language code reads English.
enum class NewsLanguage { French, English };
NewsLanguage NewsLanguageOf(const char* languageCode);

// The game just finished, as the score screen shows it after its name entry.
struct FinishedGame {
    bool shown = false;  // there is one to show
    int litRow = -1;     // the shown table's row it took (0 for rank 1), -1 when it took none
    char name[quz::core::kNameBufferSize] = {};
    int32_t score = 0;
    int level = 0;
    bool daily = false;
    uint64_t ticket = 0;  // its ticket with the score sender; 0 when nothing is sent
    bool answered = false;
    SubmissionResult answer;
};

// The most cells a line of the result card holds.
inline constexpr int kNewsLineCells = 46;

// "1ST", "2ND", "3RD", "11TH", "21ST"; "1ER", "2E", "11E". Zero and below have none ("").
std::string OrdinalText(int number, NewsLanguage language);

// The player's own line: "YOUR GAME: ANN  001234  LEVEL 3" ("DAILY GAME: ..." for the board of the day),
// shortened to fit kNewsLineCells by leaving out the caption, then the level.
std::string ResultLine(const FinishedGame& game, NewsLanguage language);

// The server's answer: "SENDING..." while none has come, then "VERIFIED, 12TH OF 345 TODAY", "SCORE SENT",
// "KEPT, WILL BE SENT LATER", "REFUSED: <reason>"... Empty when nothing is sent. At most kNewsLineCells.
std::string AnswerLine(const FinishedGame& game, NewsLanguage language);

// Takes the answer to the game's ticket out of results, if it is there; the others are not the score
// screen's (an older game's from the outbox) and are dropped.
void TakeAnswer(FinishedGame* game, const std::vector<SubmissionResult>& results);
