// The score submission (see score_client.h).
#include "net/score_client.h"

#include <cinttypes>
#include <cstring>

#include "net/connection.h"
#include "net/machine_identity.h"
#include "net/message.h"
#include "platform/text.h"

#ifndef QUZ_SCORE_HOST_NAME
#define QUZ_SCORE_HOST_NAME "localhost"
#endif
#ifndef QUZ_SCORE_HOST_ADDRESS
#define QUZ_SCORE_HOST_ADDRESS "127.0.0.1"
#endif

char scoreClientTag[1024];
char scoreCredential[1024];
char scoreGameName[1024];
char scoreHostName[1024];
char scoreHostAddress[1024];

namespace {

// The settings are read with a precision so that one filled to its last byte cannot be read past.
bool FormatScoreText(char (&text)[kScoreMessageSize], const char* playerName, const char* mode, int32_t score,
                     bool variant) {
    return FormatText(text, sizeof text, "%" PRIu32 "\t%s\t%.1023s\t%.1023s\t%s\t%.1023s\t%s\t%" PRId32,
                      MachineIdentity(), variant ? "RVEK" : "SVEK", scoreClientTag, scoreCredential,
                      playerName != nullptr ? playerName : "", scoreGameName, mode != nullptr ? mode : "",
                      score);
}

}  // namespace

void SetDefaultScoreSettings() {
    CopyText(scoreClientTag, "vektcp");
    CopyText(scoreCredential, "wf418352");
    CopyText(scoreGameName, "quz");
    CopyText(scoreHostName, QUZ_SCORE_HOST_NAME);
    CopyText(scoreHostAddress, QUZ_SCORE_HOST_ADDRESS);
}

bool SubmitScore(const char* playerName, const char* mode, int32_t score, bool variant) {
    if (!NetStartup()) {
        return false;
    }
    bool sent = false;
    // The text is made before connecting, so a message too long to send opens no connection either.
    char text[kScoreMessageSize];
    if (FormatScoreText(text, playerName, mode, score, variant) &&
        ConnectToServer(scoreHostName, scoreHostAddress)) {
        size_t length = strlen(text);
        std::unique_ptr<uint8_t[]> bytes = ScrambleMessage(text, length);
        sent = SendMessageBytes(bytes.get(), length + kChecksumSize);
        CloseConnection();
    }
    NetCleanup();
    return sent;
}
