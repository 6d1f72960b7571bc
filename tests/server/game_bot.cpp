// The robot player and the submission bodies of the server tests (see game_bot.h).
#include "game_bot.h"

#include "net/submission_body.h"
#include "replay/replay_file.h"

std::vector<uint8_t> ReplayFile(const quz::core::Replay& replay) {
    std::vector<uint8_t> file;
    quz::replay::EncodeReplayFile(replay, file);
    return file;
}

std::vector<uint8_t> SubmissionOf(const std::string& name, const quz::core::Replay& replay,
                                  uint32_t identity) {
    std::vector<uint8_t> body;
    EncodeSubmissionBody(SubmissionBody{name, identity, ReplayFile(replay)}, body);
    return body;
}

std::string AsText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string GamePostRequest(const std::string& body) {
    return "POST /api/games HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
           "application/x-quz-game\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}
