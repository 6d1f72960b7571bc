// quz-verify: re-plays replay files headless with the rules core and checks that each reaches the outcome
// it recorded. Exit status 0 when every file matches; 1 when any is refused or differs, with one line
// saying why; 2 for a wrong command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/replay_check.h"
#include "core/rules_version.h"
#include "replay/replay_file.h"

namespace {

constexpr const char kUsage[] =
    "Usage: quz-verify [-q | --board] FILE...\n"
    "Re-plays each Quz replay file with this program's rules and compares the final score, level, ticks\n"
    "and state hash with the ones it recorded. Prints them, then OK or the first difference.\n"
    "  -q         print only one line a file\n"
    "  --board    also print the final board (15 rows: . empty, 1-3 colours, D L P bonuses)\n"
    "  --help     this text\n"
    "  --version  the program's version and the rules version it re-plays\n"
    "Exit status: 0 every file matches, 1 a file is refused or differs, 2 a wrong command line.\n";

void PrintOutcome(const quz::core::ReplayOutcome& outcome) {
    const unsigned seconds = outcome.ticks / 60;
    printf("score %d\nlevel %d\nticks %u (%u:%02u:%02u)\nended %s\nstate hash %016llx\n", outcome.score,
           outcome.level, outcome.ticks, seconds / 3600, seconds / 60 % 60, seconds % 60,
           outcome.over ? "yes" : "no", static_cast<unsigned long long>(outcome.stateHash));
}

struct Options {
    bool quiet = false;
    bool board = false;
};

bool VerifyFile(const char* path, const Options& options) {
    const bool quiet = options.quiet;
    quz::core::Replay replay;
    std::string detail;
    if (!quz::replay::ReadReplayFile(path, replay, detail)) {
        printf("%s: refused: %s\n", path, detail.c_str());
        return false;
    }
    if (!quz::core::SameRules(replay)) {
        printf("%s: refused: played under rules version %u, this program re-plays version %u only\n", path,
               replay.rulesVersion, quz::core::kRulesVersion);
        return false;
    }
    if (!quiet) {
        printf("%s: rules %u, seed %016llx, mode %s, table floor %d, %zu commands\n", path,
               replay.rulesVersion, static_cast<unsigned long long>(replay.seed), replay.mode.c_str(),
               replay.tableFloor, replay.commands.size());
    }
    quz::core::Session session(quz::core::SettingsOf(replay));
    bool wellFormed = true;
    const quz::core::ReplayOutcome replayed = quz::core::ReplayInto(replay, session, &wellFormed);
    if (!quiet) {
        PrintOutcome(replayed);
    }
    if (options.board) {
        printf("board\n%s", quz::core::BoardText(session).c_str());
    }
    std::string difference = quz::core::FirstDifference(replay.outcome, replayed);
    if (difference.empty() && !wellFormed) {
        difference = "the commands are stamped with ticks no game gives them";
    }
    if (!difference.empty()) {
        printf("%s: MISMATCH: %s\n", path, difference.c_str());
        return false;
    }
    if (quiet) {
        printf("%s: OK score %d level %d ticks %u hash %016llx\n", path, replayed.score, replayed.level,
               replayed.ticks, static_cast<unsigned long long>(replayed.stateHash));
    } else {
        printf("%s: OK, the re-play matches the recording\n", path);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int first = 1;
    for (; first < argc && argv[first][0] == '-' && argv[first][1] != '\0'; ++first) {
        if (strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        }
        if (strcmp(argv[first], "-q") == 0) {
            options.quiet = true;
        } else if (strcmp(argv[first], "--board") == 0) {
            options.board = true;
        } else if (strcmp(argv[first], "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        } else if (strcmp(argv[first], "--version") == 0) {
            printf("quz-verify %s (rules version %u)\n", QUZ_VERSION, quz::core::kRulesVersion);
            return 0;
        } else {
            fprintf(stderr, "quz-verify: unknown option %s\n%s", argv[first], kUsage);
            return 2;
        }
    }
    if (first >= argc) {
        fputs(kUsage, stderr);
        return 2;
    }
    bool allMatch = true;
    for (int i = first; i < argc; ++i) {
        allMatch = VerifyFile(argv[i], options) && allMatch;
    }
    return allMatch ? 0 : 1;
}
