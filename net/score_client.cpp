// The score submission (see score_client.h).
#include "net/score_client.h"

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

char scoreClientTag[1024];
char scoreCredential[1024];
char scoreGameName[1024];
char scoreHostName[1024];
char scoreHostAddress[1024];

void SetDefaultScoreSettings() {
    CopyText(scoreClientTag, kDefaultClientTag);
    CopyText(scoreCredential, kDefaultCredential);
    CopyText(scoreGameName, kDefaultGameName);
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
    ScoreFields fields;
    fields.identity = MachineIdentity();
    fields.variant = variant;
    fields.clientTag = scoreClientTag;
    fields.credential = scoreCredential;
    fields.playerName = playerName;
    fields.gameName = scoreGameName;
    fields.mode = mode;
    fields.score = score;
    if (FormatScoreText(text, sizeof text, fields) && ConnectToServer(scoreHostName, scoreHostAddress)) {
        size_t length = strlen(text);
        std::unique_ptr<uint8_t[]> bytes = ScrambleMessage(text, length);
        sent = SendMessageBytes(bytes.get(), length + kChecksumSize);
        CloseConnection();
    }
    NetCleanup();
    return sent;
}
