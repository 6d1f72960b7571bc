// Re-playing every stored game (see reverify.h).
#include "server/reverify.h"

#include <string>

bool Reverify(GameStore& store, FILE* out, ReverifyCounts* counts) {
    *counts = ReverifyCounts{};
    const bool read = store.ForEach([&](const GameRecord& record) {
        ++counts->games;
        if (record.replayFile.empty()) {
            ++counts->notKept;
            return;
        }
        std::string detail;
        const GameVerdict verdict = RecheckReplay(record.replayFile, &detail);
        const long long id = record.id;
        if (verdict == GameVerdict::Verified) {
            ++counts->verified;
            if (!record.verified) {
                ++counts->nowVerified;
                fprintf(out, "game %lld: verifies now (stored unverified: %s)\n", id, record.reason.c_str());
            }
        } else if (verdict == GameVerdict::Unverified) {
            ++counts->unverified;
            fprintf(out, "game %lld: not verified: unknown %s\n", id, detail.c_str());
        } else {
            ++counts->mismatches;
            fprintf(out, "game %lld: %s%s: %s\n", id, GameVerdictText(verdict),
                    record.verified ? "" : " (stored unverified)", detail.c_str());
        }
    });
    if (!read) {
        fprintf(out, "cannot read the games: %s\n", store.LastError().c_str());
        return false;
    }
    fprintf(out,
            "%d games: %d verified, %d mismatches, %d of unknown rules, %d verified now, %d without their "
            "replay (not kept)\n",
            counts->games, counts->verified, counts->mismatches, counts->unverified, counts->nowVerified,
            counts->notKept);
    return true;
}
