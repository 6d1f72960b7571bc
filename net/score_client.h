// Sending one finished score to the score server: one scrambled message over TCP, no reply read.
#pragma once

#include <cstdint>

#include "net/score_message.h"
#include "net/submit_setting.h"

// The five submission settings; the caller fills them (SetDefaultScoreSettings) before SubmitScore.
extern char scoreClientTag[1024];
extern char scoreCredential[1024];
extern char scoreGameName[1024];
extern char scoreHostName[1024];
extern char scoreHostAddress[1024];

// The server a player chose in quz.ini ([Scores] Server): "host" or "host:port" in place of the one
// chosen at build time, or "off" to send nothing at all.
struct ScoreServerChoice {
    bool off = false;
    bool overridden = false;  // host and port replace the build-time host name, address and port
    char host[256] = {};
    uint16_t port = 4242;
};
extern ScoreServerChoice scoreServerChoice;
// [Scores] Submit: where verified games go (see submit_setting.h).
extern SubmitChoice submitChoice;
// The URL verified games are posted to ("" for none), filled by SetDefaultScoreSettings.
extern char scoreSubmitUrl[kSubmitUrlSize];

// Reads a [Scores] Server value. An empty text leaves the build-time server. A text that is neither "off"
// nor a host name or dotted address with an optional ":port" (1 to 65535) gives false and leaves the
// choice as it was.
bool ParseScoreServerSetting(const char* text, ScoreServerChoice* choice);

// Fills the settings with the game's values: the server chosen at build time, or the one chosen in quz.ini
// (which also sets scoreServerPort, and has no separate fallback address), and the submission URL the
// same way.
void SetDefaultScoreSettings();

// Everything one submission reads, copied out of the process-wide settings, so that a send on the score
// sender's thread shares nothing with the game.
struct ScoreSettings {
    char clientTag[1024] = {};
    char credential[1024] = {};
    char gameName[1024] = {};
    char hostName[1024] = {};
    char hostAddress[1024] = {};  // "" for no fallback
    uint16_t port = 4242;
    int connectTimeoutMs = 3000;
    int sendTimeoutMs = 3000;
    bool messageOff = false;              // [Scores] Server=off: no old message, whatever happens
    char submitUrl[kSubmitUrlSize] = {};  // "" when verified games are not sent
    // How long the server may take to verify and answer once the game is on its way.
    int answerTimeoutMs = 10000;
};
// The process-wide settings with scoreServerPort and the connection time-outs, as they stand now.
ScoreSettings CurrentScoreSettings();

// True when every byte of the message was handed to the network and the connection ended cleanly. The
// first form sends with CurrentScoreSettings().
bool SubmitScore(const char* playerName, const char* mode, int32_t score, bool variant);
bool SubmitScore(const ScoreSettings& settings, const char* playerName, const char* mode, int32_t score,
                 bool variant);
