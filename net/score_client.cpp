// The score submission (see score_client.h).
#include "net/score_client.h"

#include <cctype>
#include <cstring>

#include "net/connection.h"
#include "net/machine_identity.h"
#include "net/message.h"
#include "net/score_message.h"
#include "platform/text.h"

#ifndef QUZ_SCORE_HOST_NAME
#define QUZ_SCORE_HOST_NAME "localhost"
#endif
#ifndef QUZ_SCORE_HOST_ADDRESS
#define QUZ_SCORE_HOST_ADDRESS "127.0.0.1"
#endif
#ifndef QUZ_SUBMIT_URL
#define QUZ_SUBMIT_URL "http://localhost:8080"
#endif

char scoreClientTag[1024];
char scoreCredential[1024];
char scoreGameName[1024];
char scoreHostName[1024];
char scoreHostAddress[1024];
ScoreServerChoice scoreServerChoice;
SubmitChoice submitChoice;
char scoreSubmitUrl[kSubmitUrlSize];

namespace {

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool IsOff(const char* text) {
    const char off[] = "off";
    for (size_t i = 0; i < sizeof off; ++i) {
        if (tolower(static_cast<unsigned char>(text[i])) != off[i]) {
            return false;
        }
    }
    return true;
}

bool ParsePort(const char* text, uint16_t* port) {
    if (*text == '\0' || strlen(text) > 5) {
        return false;
    }
    unsigned value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(*c - '0');
    }
    if (value == 0 || value > 65535) {
        return false;
    }
    *port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

bool ParseScoreServerSetting(const char* text, ScoreServerChoice* choice) {
    if (text == nullptr || *text == '\0') {
        *choice = ScoreServerChoice{};
        return true;
    }
    if (IsOff(text)) {
        *choice = ScoreServerChoice{};
        choice->off = true;
        return true;
    }
    ScoreServerChoice parsed;
    parsed.overridden = true;
    const char* colon = strchr(text, ':');
    size_t hostLength = colon != nullptr ? static_cast<size_t>(colon - text) : strlen(text);
    // A name or dotted address only: the client speaks IPv4, and anything else would reach the resolver
    // as a surprise (a URL, a path, a second colon).
    if (hostLength == 0 || hostLength >= sizeof parsed.host) {
        return false;
    }
    for (size_t i = 0; i < hostLength; ++i) {
        if (!IsHostCharacter(text[i])) {
            return false;
        }
    }
    memcpy(parsed.host, text, hostLength);
    parsed.host[hostLength] = '\0';
    if (colon != nullptr && !ParsePort(colon + 1, &parsed.port)) {
        return false;
    }
    *choice = parsed;
    return true;
}

void SetDefaultScoreSettings() {
    CopyText(scoreClientTag, kDefaultClientTag);
    CopyText(scoreCredential, kDefaultCredential);
    CopyText(scoreGameName, kDefaultGameName);
    CopyText(scoreHostName, QUZ_SCORE_HOST_NAME);
    CopyText(scoreHostAddress, QUZ_SCORE_HOST_ADDRESS);
    if (scoreServerChoice.overridden) {
        // The build-time address belongs to the build-time name: falling back to it would send the
        // score to a server the player did not choose.
        CopyText(scoreHostName, scoreServerChoice.host);
        CopyText(scoreHostAddress, "");
        scoreServerPort = scoreServerChoice.port;
    }
    SubmitUrlFor(submitChoice, QUZ_SUBMIT_URL, scoreSubmitUrl, sizeof scoreSubmitUrl);
}

ScoreSettings CurrentScoreSettings() {
    ScoreSettings settings;
    CopyText(settings.clientTag, scoreClientTag);
    CopyText(settings.credential, scoreCredential);
    CopyText(settings.gameName, scoreGameName);
    CopyText(settings.hostName, scoreHostName);
    CopyText(settings.hostAddress, scoreHostAddress);
    settings.port = scoreServerPort;
    settings.connectTimeoutMs = scoreConnectTimeoutMs;
    settings.sendTimeoutMs = scoreSendTimeoutMs;
    settings.messageOff = scoreServerChoice.off;
    CopyText(settings.submitUrl, scoreSubmitUrl);
    return settings;
}

bool SubmitScore(const char* playerName, const char* mode, int32_t score, bool variant) {
    return SubmitScore(CurrentScoreSettings(), playerName, mode, score, variant);
}

bool SubmitScore(const ScoreSettings& settings, const char* playerName, const char* mode, int32_t score,
                 bool variant) {
    if (!NetStartup()) {
        return false;
    }
    bool sent = false;
    // The text is made before connecting, so a message too long to send opens no connection either.
    char text[kScoreMessageSize];
    ScoreFields fields;
    fields.identity = MachineIdentity();
    fields.variant = variant;
    fields.clientTag = settings.clientTag;
    fields.credential = settings.credential;
    fields.playerName = playerName;
    fields.gameName = settings.gameName;
    fields.mode = mode;
    fields.score = score;
    if (FormatScoreText(text, sizeof text, fields) &&
        ConnectToServer(settings.hostName, settings.hostAddress, settings.port, settings.connectTimeoutMs)) {
        size_t length = strlen(text);
        std::unique_ptr<uint8_t[]> bytes = ScrambleMessage(text, length);
        sent = SendMessageBytes(bytes.get(), length + kChecksumSize, settings.sendTimeoutMs);
        // The protocol has no reply: a score counts as sent only when its connection also ended cleanly.
        sent = CloseConnection() && sent;
    }
    NetCleanup();
    return sent;
}
