// What the server accepts as a score and what it refuses, field by field, at the edges of each rule.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "server/score_parser.h"
#include "server_support.h"

namespace {

Verdict Check(const std::string& text, ScoreSubmission* out = nullptr, const ExpectedSender& expected = {}) {
    std::vector<uint8_t> wire = Wire(text);
    ScoreSubmission ignored;
    return ParseScoreMessage(wire.data(), wire.size(), expected, out != nullptr ? out : &ignored);
}

std::string Text(const std::string& identity, const std::string& tag, const std::string& name,
                 const std::string& mode, const std::string& score) {
    return identity + "\t" + tag + "\tvektcp\twf418352\t" + name + "\tquz\t" + mode + "\t" + score;
}

}  // namespace

TEST(ParseScoreMessage, TakesTheGamesOwnMessagesWithEveryFieldAsSent) {
    ScoreSubmission got;
    ASSERT_EQ(Check(GameText("ANNA", 123456, 2147483647u), &got), Verdict::kValid);
    EXPECT_EQ(got.identity, 2147483647u);
    EXPECT_FALSE(got.variant);
    EXPECT_EQ(got.name, "ANNA");
    EXPECT_EQ(got.mode, "NORMAL");
    EXPECT_EQ(got.score, 123456);

    // The variant tag, the widest names and modes, the ends of the score's range, a name of quotes and tags.
    ASSERT_EQ(Check(Text("0", "RVEK", std::string(27, '~'), std::string(31, 'M'), "-2147483648"), &got),
              Verdict::kValid);
    EXPECT_TRUE(got.variant);
    EXPECT_EQ(got.identity, 0u);
    EXPECT_EQ(got.name.size(), 27u);
    EXPECT_EQ(got.score, -2147483647 - 1);
    EXPECT_EQ(Check(Text("7", "SVEK", " ", "N", "2147483647"), &got), Verdict::kValid);
    EXPECT_EQ(got.score, 2147483647);
    ASSERT_EQ(Check(GameText("<script>\"'&", 0), &got), Verdict::kValid);
    EXPECT_EQ(got.name, "<script>\"'&");
    // Return on an empty name entry enters an empty name: kept, not refused.
    ASSERT_EQ(Check(Text("1", "SVEK", "", "NORMAL", "40"), &got), Verdict::kValid);
    EXPECT_EQ(got.name, "");
    EXPECT_EQ(got.score, 40);
}

TEST(ParseScoreMessage, RefusesEachFieldOutsideItsRule) {
    struct Case {
        std::string text;
        Verdict verdict;
    } const cases[] = {
        {Text("1", "SVEK", "ANNA", "NORMAL", "1") + "\textra", Verdict::kFieldCount},
        {"1\tSVEK\tvektcp\twf418352\tANNA\tquz\tNORMAL", Verdict::kFieldCount},
        {"", Verdict::kTruncated},
        {"x", Verdict::kFieldCount},
        {Text("-1", "SVEK", "ANNA", "NORMAL", "1"), Verdict::kBadIdentity},
        {Text("2147483648", "SVEK", "ANNA", "NORMAL", "1"), Verdict::kBadIdentity},
        {Text("+5", "SVEK", "ANNA", "NORMAL", "1"), Verdict::kBadIdentity},
        {Text("", "SVEK", "ANNA", "NORMAL", "1"), Verdict::kBadIdentity},
        {Text("12a", "SVEK", "ANNA", "NORMAL", "1"), Verdict::kBadIdentity},
        {Text("1", "svek", "ANNA", "NORMAL", "1"), Verdict::kBadTag},
        {Text("1", "SVEK ", "ANNA", "NORMAL", "1"), Verdict::kBadTag},
        {"1\tSVEK\tVEKTCP\twf418352\tANNA\tquz\tNORMAL\t1", Verdict::kWrongClientTag},
        {"1\tSVEK\tvektcp\twf418353\tANNA\tquz\tNORMAL\t1", Verdict::kWrongCredential},
        {"1\tSVEK\tvektcp\twf418352\tANNA\tquz2\tNORMAL\t1", Verdict::kWrongGameName},
        {Text("1", "SVEK", std::string(28, 'A'), "NORMAL", "1"), Verdict::kBadName},
        {Text("1", "SVEK",
              "AN\x7f"
              "A",
              "NORMAL", "1"),
         Verdict::kBadName},
        {Text("1", "SVEK", "\xc3\xa9t\xc3\xa9", "NORMAL", "1"), Verdict::kBadName},
        {Text("1", "SVEK", std::string("AN\0A", 4), "NORMAL", "1"), Verdict::kBadName},
        {Text("1", "SVEK", "ANNA", "", "1"), Verdict::kBadMode},
        {Text("1", "SVEK", "ANNA", std::string(32, 'M'), "1"), Verdict::kBadMode},
        {Text("1", "SVEK", "ANNA", "NOR\nMAL", "1"), Verdict::kBadMode},
        {Text("1", "SVEK", "ANNA", "NORMAL", "2147483648"), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", "-2147483649"), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", "99999999999999999999"), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", ""), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", "-"), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", "+1"), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", "1 "), Verdict::kBadScore},
        {Text("1", "SVEK", "ANNA", "NORMAL", "0x10"), Verdict::kBadScore},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Check(c.text), c.verdict) << c.text;
    }
}

TEST(ParseScoreMessage, RefusesWhatIsNotAWholeMessageOfTheRightSize) {
    std::vector<uint8_t> wire = Wire(GameText("ANNA", 5));
    ScoreSubmission got;
    ExpectedSender expected;
    for (size_t cut = 0; cut < wire.size(); ++cut) {
        EXPECT_NE(ParseScoreMessage(wire.data(), cut, expected, &got), Verdict::kValid) << cut;
    }
    EXPECT_EQ(ParseScoreMessage(wire.data(), 4, expected, &got), Verdict::kTruncated);
    for (size_t i = 0; i < wire.size(); ++i) {
        std::vector<uint8_t> damaged = wire;
        damaged[i] ^= 0x40;
        EXPECT_EQ(ParseScoreMessage(damaged.data(), damaged.size(), expected, &got), Verdict::kBadChecksum)
            << i;
    }

    // The longest text the game can send is taken; one byte more is not, whatever it holds.
    std::string prefix = Text("1", "SVEK", "ANNA", "NORMAL", "");
    std::string longest = prefix + std::string(kScoreTextLimit - prefix.size(), '0');
    EXPECT_EQ(Check(longest), Verdict::kBadScore);  // too many digits, but judged as a message
    std::vector<uint8_t> over = Wire(longest + "0");
    EXPECT_EQ(ParseScoreMessage(over.data(), over.size(), expected, &got), Verdict::kOversized);
}

TEST(ParseScoreMessage, ChecksTheFixedFieldsAgainstTheConfiguredValues) {
    ExpectedSender club;
    club.clientTag = "clubtcp";
    club.credential = "ab123456";
    club.gameName = "quz-club";
    EXPECT_EQ(Check(GameText("ANNA", 1), nullptr, club), Verdict::kWrongClientTag);
    EXPECT_EQ(Check("1\tSVEK\tclubtcp\tab123456\tANNA\tquz-club\tNORMAL\t1", nullptr, club), Verdict::kValid);
}

TEST(Verdicts, EveryVerdictHasItsOwnTextAndKey) {
    std::set<std::string> texts;
    std::set<std::string> keys;
    for (size_t i = 0; i < kVerdictCount; ++i) {
        texts.insert(VerdictText(static_cast<Verdict>(i)));
        keys.insert(VerdictKey(static_cast<Verdict>(i)));
    }
    EXPECT_EQ(texts.size(), kVerdictCount);
    EXPECT_EQ(keys.size(), kVerdictCount);
}
