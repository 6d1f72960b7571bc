// Sending one finished score to the score server: one scrambled message over TCP, no reply read.
#pragma once

#include <cstdint>

#include "net/score_message.h"

// The five submission settings; the caller fills them (SetDefaultScoreSettings) before SubmitScore.
extern char scoreClientTag[1024];
extern char scoreCredential[1024];
extern char scoreGameName[1024];
extern char scoreHostName[1024];
extern char scoreHostAddress[1024];

// Fills the settings with the game's values (server chosen at build time).
void SetDefaultScoreSettings();

// True when every byte of the message was handed to the network.
bool SubmitScore(const char* playerName, const char* mode, int32_t score, bool variant);
