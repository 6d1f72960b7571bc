// The outbox file's layout (see outbox_file.h).
#include "net/outbox_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "net/submission_body.h"
#include "platform/text.h"

namespace {

constexpr char kOutboxHeader[] = "quz outbox 2";
// What the first sender wrote: SVEK and RVEK lines only. Read, never written.
constexpr char kOldOutboxHeader[] = "quz outbox 1";
constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsNameByte(char c) {
    return c >= 32 && c <= 126 && c != '\t';
}

bool IsModeByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

int Base64Value(char c) {
    for (int i = 0; i < 64; ++i) {
        if (kBase64Alphabet[i] == c) {
            return i;
        }
    }
    return -1;
}

bool ParseScoreNumber(const std::string& text, int32_t* score) {
    if (text.empty() || text.size() > 11) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || value < INT32_MIN || value > INT32_MAX ||
        !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) {
        return false;
    }
    *score = static_cast<int32_t>(value);
    return true;
}

// The line cut at its TABs; the name is always the last field, so its spaces need no quoting.
std::vector<std::string> Fields(const std::string& line, size_t count) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() + 1 < count) {
        const size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            return {};
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

// "SVEK<TAB>NORMAL<TAB>1250<TAB>Ann", or (current layout only)
// "GAME<TAB>DAILY-20261207<TAB>1250<TAB><replay in base64><TAB>Ann".
bool DecodeLine(const std::string& line, bool current, PendingScore* score) {
    const bool game = current && line.compare(0, 5, "GAME\t") == 0;
    const std::vector<std::string> fields = Fields(line, game ? 5 : 4);
    if (fields.empty()) {
        return false;
    }
    const std::string& tag = fields[0];
    const std::string& mode = fields[1];
    const std::string& name = fields.back();
    if ((!game && tag != "SVEK" && tag != "RVEK") || mode.empty() || mode.size() >= sizeof score->mode ||
        name.size() >= sizeof score->name) {
        return false;
    }
    for (char c : mode) {
        if (!IsModeByte(c) || (!current && c == '-')) {
            return false;
        }
    }
    for (char c : name) {
        if (!IsNameByte(c)) {
            return false;
        }
    }
    PendingScore parsed;
    if (!ParseScoreNumber(fields[2], &parsed.score)) {
        return false;
    }
    if (game && (!DecodeBase64(fields[3], &parsed.replay) || parsed.replay.empty() ||
                 parsed.replay.size() > kSubmissionReplayLimit)) {
        return false;
    }
    parsed.variant = tag == "RVEK";
    CopyText(parsed.mode, mode.c_str());
    CopyText(parsed.name, name.c_str());
    *score = std::move(parsed);
    return true;
}

}  // namespace

std::string EncodeBase64(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
        group |= left > 1 ? static_cast<uint32_t>(bytes[i + 1]) << 8 : 0;
        group |= left > 2 ? bytes[i + 2] : 0;
        text += kBase64Alphabet[(group >> 18) & 63];
        text += kBase64Alphabet[(group >> 12) & 63];
        text += left > 1 ? kBase64Alphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? kBase64Alphabet[group & 63] : '=';
    }
    return text;
}

bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (text.size() % 4 != 0) {
        return false;
    }
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int value = k >= 4 - static_cast<size_t>(pad) ? 0 : Base64Value(text[i + k]);
            if (value < 0) {
                return false;
            }
            group = group << 6 | static_cast<uint32_t>(value);
        }
        bytes->push_back(static_cast<uint8_t>(group >> 16));
        if (pad < 2) {
            bytes->push_back(static_cast<uint8_t>(group >> 8));
        }
        if (pad < 1) {
            bytes->push_back(static_cast<uint8_t>(group));
        }
    }
    return true;
}

std::string EncodeOutbox(const std::vector<PendingScore>& scores) {
    std::string text = std::string(kOutboxHeader) + "\n";
    for (const PendingScore& score : scores) {
        char head[96];
        if (score.replay.empty()) {
            FormatText(head, sizeof head, "%s\t%.39s\t%d\t", score.variant ? "RVEK" : "SVEK", score.mode,
                       static_cast<int>(score.score));
            text += head;
        } else {
            FormatText(head, sizeof head, "GAME\t%.39s\t%d\t", score.mode, static_cast<int>(score.score));
            text += head;
            text += EncodeBase64(score.replay);
            text += '\t';
        }
        text.append(score.name, strnlen(score.name, sizeof score.name - 1));
        text += '\n';
    }
    return text;
}

bool DecodeOutbox(const std::string& text, std::vector<PendingScore>* scores) {
    scores->clear();
    size_t start = 0;
    bool whole = true;
    bool header = true;
    bool current = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
            whole = false;  // every line we write ends with a line feed: this one was cut short
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (header) {
            if (line != kOutboxHeader && line != kOldOutboxHeader) {
                return false;
            }
            current = line == kOutboxHeader;
            header = false;
            continue;
        }
        PendingScore score;
        if (whole && DecodeLine(line, current, &score)) {
            scores->push_back(std::move(score));
        } else {
            whole = false;
        }
    }
    return whole && !header;
}
