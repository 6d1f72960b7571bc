// The two languages of the pictures' words: fr (the default) and en.
#pragma once

#include <string>

struct LanguageWords {
    const char* code;
    // Game panel
    const char* lives;
    const char* level;
    const char* levelPoints;
    const char* score;
    const char* time;
    const char* legendDouble;
    const char* legendLines;
    const char* legendPoints;
    // Menu
    const char* play;
    const char* daily;
    const char* scores;
    const char* about;
    const char* exit;
    const char* copyright;
    const char* credits[5];
    // Messages
    const char* hiscoreTitle;
    const char* hiscorePrompt;
    const char* wonLevel;
    const char* wonLevelSub;
    const char* loseLevel;
    const char* loseLevelSub;
    const char* gameOver;
    const char* gameOverSub;
    const char* wonGame;
    const char* wonGameSub;
    const char* perfect;
    const char* points5000;
    const char* bonus2x;
    const char* bonusAddLine;
    const char* bonusLife;
    // Pause screen
    const char* pauseTitle;
    const char* pauseResume;
    const char* pauseQuit;
    // How to play: the About screen's second page
    const char* howToTitle;
    const char* howToGoal[2];
    const char* howToScoring;
    const char* howToBonus[3];  // beside the 2x, lines and points blocks
    const char* howToTimer[2];
    const char* howToLevels[2];
    const char* howToKeys[3];
    const char* howToBack;
    // The name entry of a game that goes to the score server without a place in the player's own table
    const char* entryTitle;
    const char* entryPrompt;
};

const LanguageWords& FrenchWords();
const LanguageWords& EnglishWords();
