// The judgement of a submitted game (see game_check.h).
#include "server/game_check.h"

#include "core/daily.h"
#include "core/replay_check.h"
#include "core/replay_codec.h"
#include "net/submission_body.h"
#include "replay/replay_file.h"

namespace {

struct VerdictInfo {
    const char* key;
    const char* text;
    int status;
};

constexpr VerdictInfo kVerdicts[kGameVerdictCount] = {
    {"verified", "verified", 201},
    {"unknown_rules_version", "unknown rules version", 201},
    {"bad_format", "bad format", 400},
    {"too_large", "too large", 413},
    {"score_mismatch", "score mismatch", 422},
    {"hash_mismatch", "hash mismatch", 422},
    {"daily_seed_mismatch", "daily seed mismatch", 422},
    {"daily_date_out_of_range", "daily date out of range", 422},
    {"name_mismatch", "name mismatch", 422},
    {"unfinished", "unfinished game", 422},
    {"copy", "copy", 409},
};

// FNV-1a over the seed, the table floor and every command, twice with different starts: a key of 128 bits
// that no two different games share by chance.
std::string KeyOf(const quz::core::Replay& replay) {
    uint64_t a = 0xcbf29ce484222325ull;
    uint64_t b = 0x84222325cbf29ce4ull;
    auto add = [&](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const auto byte = static_cast<uint8_t>(value >> (8 * i));
            a = (a ^ byte) * 0x100000001b3ull;
            b = (b ^ byte) * 0x100000001b3ull;
            b ^= b >> 29;
        }
    };
    add(replay.seed, 8);
    add(static_cast<uint32_t>(replay.tableFloor), 4);
    for (const quz::core::Command& command : replay.commands) {
        add(command.tick, 4);
        add(static_cast<uint8_t>(command.kind), 1);
        add(command.arg, 2);
    }
    return Hex64(a) + Hex64(b);
}

GameVerdict Refuse(GameVerdict verdict, std::string* detail, const std::string& why) {
    if (detail != nullptr) {
        *detail = why;
    }
    return verdict;
}

// The replay's bytes out of its file, and the replay read from them.
GameVerdict ReadReplay(std::span<const uint8_t> file, quz::core::Replay* replay, std::string* detail) {
    std::vector<uint8_t> raw;
    std::string why;
    quz::core::ReplayError error = quz::replay::UnpackReplay(file, raw, &why);
    if (error == quz::core::ReplayError::None) {
        error = quz::core::DecodeReplay(raw, *replay, &why);
    }
    switch (error) {
        case quz::core::ReplayError::None:
            return GameVerdict::Verified;
        case quz::core::ReplayError::TooLarge:
        case quz::core::ReplayError::OverTickCap:
            return Refuse(GameVerdict::TooLarge, detail, why);
        default:
            return Refuse(GameVerdict::BadFormat, detail, why);
    }
}

// What re-playing the replay gives against what it claims.
GameVerdict Replay(const quz::core::Replay& replay, std::string* name, std::string* detail) {
    quz::core::Session session(quz::core::SettingsOf(replay));
    const quz::core::ReplayOutcome outcome = quz::core::ReplayInto(replay, session);
    const std::string difference = quz::core::FirstDifference(replay.outcome, outcome);
    if (outcome.score != replay.outcome.score) {
        return Refuse(GameVerdict::ScoreMismatch, detail, difference);
    }
    if (!difference.empty()) {
        return Refuse(GameVerdict::HashMismatch, detail, difference);
    }
    if (!outcome.over) {
        return Refuse(GameVerdict::Unfinished, detail, "the game had not ended");
    }
    *name = session.playerName;
    return GameVerdict::Verified;
}

}  // namespace

const char* GameVerdictKey(GameVerdict verdict) {
    return kVerdicts[static_cast<size_t>(verdict)].key;
}

const char* GameVerdictText(GameVerdict verdict) {
    return kVerdicts[static_cast<size_t>(verdict)].text;
}

int GameVerdictStatus(GameVerdict verdict) {
    return kVerdicts[static_cast<size_t>(verdict)].status;
}

std::string Hex64(uint64_t value) {
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) {
        text[static_cast<size_t>(i)] = "0123456789abcdef"[value & 15];
    }
    return text;
}

GameVerdict CheckGame(std::span<const uint8_t> body, int64_t todayDays, CheckedGame* game,
                      std::string* detail) {
    SubmissionBody envelope;
    const SubmissionBodyError bodyError = DecodeSubmissionBody(body, envelope);
    if (bodyError != SubmissionBodyError::None) {
        return Refuse(
            bodyError == SubmissionBodyError::TooLarge ? GameVerdict::TooLarge : GameVerdict::BadFormat,
            detail, SubmissionBodyErrorText(bodyError));
    }
    quz::core::Replay replay;
    GameVerdict verdict = ReadReplay(envelope.replay, &replay, detail);
    if (verdict != GameVerdict::Verified) {
        return verdict;
    }
    game->name = envelope.name;
    game->identity = envelope.identity;
    game->mode = replay.mode;
    game->rulesVersion = replay.rulesVersion;
    game->seed = replay.seed;
    game->score = replay.outcome.score;
    game->level = replay.outcome.level;
    game->ticks = replay.outcome.ticks;
    game->stateHash = replay.outcome.stateHash;
    game->replayFile = std::move(envelope.replay);
    game->replayKey = KeyOf(replay);
    quz::core::CivilDate date;
    if (quz::core::ParseDailyMode(replay.mode, &date)) {
        if (replay.seed != quz::core::DailySeed(date)) {
            return Refuse(GameVerdict::DailySeedMismatch, detail,
                          "seed " + Hex64(replay.seed) + " is not " + replay.mode + "'s");
        }
        const int64_t days = quz::core::DaysFromCivil(date);
        if (!DailyBoardTakesGames(days, todayDays)) {
            return Refuse(GameVerdict::DailyDateOutOfRange, detail,
                          replay.mode + " is neither today nor yesterday");
        }
        game->dailyDate = quz::core::IsoDate(date);
    } else if (replay.mode.rfind("DAILY", 0) == 0) {
        return Refuse(GameVerdict::BadFormat, detail, "mode " + replay.mode + " names no date");
    }
    if (!quz::core::SameRules(replay)) {
        game->reason = GameVerdictText(GameVerdict::Unverified);
        return GameVerdict::Unverified;
    }
    std::string typed;
    verdict = Replay(replay, &typed, detail);
    if (verdict != GameVerdict::Verified) {
        return verdict;
    }
    if (typed != game->name) {
        return Refuse(GameVerdict::NameMismatch, detail, "the game's name is \"" + typed + "\"");
    }
    return GameVerdict::Verified;
}

GameVerdict RecheckReplay(std::span<const uint8_t> replayFile, std::string* detail) {
    quz::core::Replay replay;
    const GameVerdict verdict = ReadReplay(replayFile, &replay, detail);
    if (verdict != GameVerdict::Verified) {
        return verdict;
    }
    if (!quz::core::SameRules(replay)) {
        return Refuse(GameVerdict::Unverified, detail,
                      "rules version " + std::to_string(replay.rulesVersion));
    }
    std::string typed;
    return Replay(replay, &typed, detail);
}
