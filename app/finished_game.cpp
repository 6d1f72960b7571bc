// The score screen's words about the game just finished (see finished_game.h).
#include "app/finished_game.h"

#include <cstdio>
#include <cstring>

#include "gfx/font.h"

namespace {

struct Words {
    const char* normalCaption;
    const char* dailyCaption;
    const char* levelWord;
    const char* noName;
    const char* sending;
    const char* sent;
    const char* sentUnverified;
    const char* verified;
    const char* rankOf;  // "%s" the ordinal, "%d" the count
    const char* rankOnly;
    const char* today;
    const char* dailyBoard;
    const char* kept;
    const char* refused;  // followed by the reason
};

constexpr Words kFrench = {
    "VOTRE PARTIE : ",
    "PARTIE DU JOUR : ",
    "NIVEAU",
    "(SANS NOM)",
    "ENVOI...",
    "SCORE ENVOYÉ",
    "ENVOYÉ, NON VÉRIFIÉ",
    "VÉRIFIÉ",
    "VÉRIFIÉ, %s SUR %d",
    "VÉRIFIÉ, %s",
    " AUJOURD'HUI",
    " À LA PARTIE DU JOUR",
    "GARDÉ, SERA ENVOYÉ PLUS TARD",
    "REFUSÉ : ",
};

constexpr Words kEnglish = {
    "YOUR GAME: ",
    "DAILY GAME: ",
    "LEVEL",
    "(NO NAME)",
    "SENDING...",
    "SCORE SENT",
    "SENT, NOT VERIFIED",
    "VERIFIED",
    "VERIFIED, %s OF %d",
    "VERIFIED, %s",
    " TODAY",
    " IN THE DAILY GAME",
    "KEPT, WILL BE SENT LATER",
    "REFUSED: ",
};

const Words& WordsOf(NewsLanguage language) {
    return language == NewsLanguage::French ? kFrench : kEnglish;
}

// The server's reasons (docs/score-api.md) as a French player reads them; others ("HTTP 403" when the
// answer had none) are shown as they came.
struct ReasonWords {
    const char* reason;
    const char* french;
};
constexpr ReasonWords kFrenchReasons[] = {
    {"bad format", "FORMAT ILLISIBLE"},
    {"copy", "PARTIE DÉJÀ REÇUE"},
    {"too large", "PARTIE TROP GRANDE"},
    {"score mismatch", "SCORE NON CONFORME"},
    {"hash mismatch", "PARTIE NON CONFORME"},
    {"daily seed mismatch", "PAS LA GRILLE DU JOUR"},
    {"daily date out of range", "PARTIE DU JOUR PÉRIMÉE"},
    {"name mismatch", "NOM DIFFÉRENT"},
    {"unfinished game", "PARTIE INACHEVÉE"},
    {"the game cannot be put in a submission", "PARTIE IMPOSSIBLE À ENVOYER"},  // the game's own
};

// A reason from the network, kept to what the font draws: every other byte becomes a space, and runs of
// spaces one.
std::string Printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        const bool keep = code < 0x80 && IsFontChar(code);
        if (keep) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

std::string ReasonText(const std::string& reason, NewsLanguage language) {
    if (language == NewsLanguage::French) {
        for (const ReasonWords& words : kFrenchReasons) {
            if (reason == words.reason) {
                return words.french;
            }
        }
    }
    return Printable(reason);
}

// The text cut to at most `cells` characters, "..." marking a cut.
std::string FitCells(const std::string& text, int cells) {
    if (TextCells(text.c_str()) <= cells) {
        return text;
    }
    std::string out;
    int used = 0;
    for (size_t i = 0; i < text.size() && used < cells - 3;) {
        size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size()) {
            length = 2;
        }
        out.append(text, i, length);
        i += length;
        ++used;
    }
    return out + "...";
}

std::string VerifiedText(const SubmissionResult& answer, const Words& words, NewsLanguage language) {
    if (answer.rank <= 0) {
        return words.verified;
    }
    char text[128];
    const std::string ordinal = OrdinalText(answer.rank, language);
    if (answer.of > 0) {
        snprintf(text, sizeof text, words.rankOf, ordinal.c_str(), answer.of);
    } else {
        snprintf(text, sizeof text, words.rankOnly, ordinal.c_str());
    }
    return std::string(text) + (answer.daily ? words.dailyBoard : words.today);
}

}  // namespace

NewsLanguage NewsLanguageOf(const char* languageCode) {
    return languageCode != nullptr && strcmp(languageCode, "fr") == 0 ? NewsLanguage::French
                                                                      : NewsLanguage::English;
}

std::string OrdinalText(int number, NewsLanguage language) {
    if (number <= 0) {
        return "";
    }
    const std::string digits = std::to_string(number);
    if (language == NewsLanguage::French) {
        return digits + (number == 1 ? "ER" : "E");
    }
    const int lastTwo = number % 100;
    if (lastTwo >= 11 && lastTwo <= 13) {
        return digits + "TH";
    }
    switch (number % 10) {
        case 1:
            return digits + "ST";
        case 2:
            return digits + "ND";
        case 3:
            return digits + "RD";
        default:
            return digits + "TH";
    }
}

std::string ResultLine(const FinishedGame& game, NewsLanguage language) {
    const Words& words = WordsOf(language);
    const std::string name = game.name[0] != '\0' ? Printable(game.name) : words.noName;
    char score[32];
    snprintf(score, sizeof score, "%06d", static_cast<int>(game.score));
    const std::string level = std::string(words.levelWord) + " " + std::to_string(game.level);
    const std::string caption = game.daily ? words.dailyCaption : words.normalCaption;
    const std::string candidates[] = {
        caption + name + "  " + score + "  " + level,
        name + "  " + score + "  " + level,
        name + "  " + score,
    };
    for (const std::string& line : candidates) {
        if (TextCells(line.c_str()) <= kNewsLineCells) {
            return line;
        }
    }
    return FitCells(candidates[2], kNewsLineCells);
}

std::string AnswerLine(const FinishedGame& game, NewsLanguage language) {
    if (game.ticket == 0) {
        return "";
    }
    const Words& words = WordsOf(language);
    if (!game.answered) {
        return words.sending;
    }
    const SubmissionResult& answer = game.answer;
    std::string line;
    switch (answer.state) {
        case SubmissionState::Verified:
            line = VerifiedText(answer, words, language);
            break;
        case SubmissionState::Stored:
            line = words.sentUnverified;
            break;
        case SubmissionState::Sent:
            line = words.sent;
            break;
        case SubmissionState::Kept:
            line = words.kept;
            break;
        case SubmissionState::Refused: {
            const std::string reason = ReasonText(answer.reason, language);
            line = reason.empty() ? std::string(words.refused, strcspn(words.refused, " :"))
                                  : words.refused + reason;
            break;
        }
    }
    return FitCells(line, kNewsLineCells);
}

void TakeAnswer(FinishedGame* game, const std::vector<SubmissionResult>& results) {
    if (game->ticket == 0) {
        return;
    }
    for (const SubmissionResult& result : results) {
        if (result.ticket == game->ticket) {
            game->answer = result;
            game->answered = true;
        }
    }
}
