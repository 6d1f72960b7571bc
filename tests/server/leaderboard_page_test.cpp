// The leaderboard page in a real browser (headless Chromium): a name made of markup shows as its text and
// runs nothing, and the page fits a phone's width. Screenshots go to server-shots/ in the build folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "server_support.h"

namespace {

const char* Chromium() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return nullptr;
}

// Runs the browser on the URL with the extra arguments; its standard output (the DOM for --dump-dom).
std::string RunChromium(const std::string& url, const std::string& arguments, const std::string& profile) {
    std::string command = std::string("timeout 90 ") + Chromium() +
                          " --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars" +
                          " --user-data-dir=" + profile + " " + arguments + " '" + url + "' 2>/dev/null";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    pclose(pipe);
    return output;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(LeaderboardPage, ShowsAMarkupNameAsTextInChromium) {
    if (Chromium() == nullptr) {
        GTEST_SKIP() << "Chromium is not installed: the page is not checked in a browser";
    }
    TempFolder folder;
    ServerProcess server;
    ASSERT_TRUE(server.Start(folder.Path() + "/scores.sqlite")) << server.Log();
    const std::string attack = "<script>alert(\"x\")</script>";  // 27 characters, the longest name
    const std::string quotes = "<img src=x onerror='y'>\"&";
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText(attack, 9000))), SendOutcome::kClosed);
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText(quotes, 8000))), SendOutcome::kClosed);
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText("ANNA", 7000))), SendOutcome::kClosed);

    // The message scores are the unverified board.
    std::string url = "http://127.0.0.1:" + std::to_string(server.WebPort()) + "/?board=unverified&lang=en";
    std::string dom = RunChromium(url, "--dump-dom", folder.Path() + "/profile");
    ASSERT_NE(dom.find("ANNA"), std::string::npos) << dom;
    // Parsed by the browser: no element came from a name, and each name is one text node.
    EXPECT_EQ(Occurrences(dom, "<script"), 0u) << dom;
    EXPECT_EQ(Occurrences(dom, "<img"), 0u) << dom;
    EXPECT_NE(dom.find("<td class=\"name\">&lt;script&gt;alert(\"x\")&lt;/script&gt;</td>"),
              std::string::npos)
        << dom;
    EXPECT_NE(dom.find("<td class=\"name\">&lt;img src=x onerror='y'&gt;\"&amp;</td>"), std::string::npos)
        << dom;

    mkdir("server-shots", 0755);
    for (auto [name, size] :
         {std::pair{"leaderboard_desktop", "1024,700"}, {"leaderboard_phone", "390,844"}}) {
        std::string shot = std::string("server-shots/") + name + ".png";
        remove(shot.c_str());
        RunChromium(url, std::string("--screenshot=") + shot + " --window-size=" + size,
                    folder.Path() + "/profile");
        struct stat info = {};
        EXPECT_EQ(stat(shot.c_str(), &info), 0) << shot;
        EXPECT_GT(info.st_size, 1000) << shot;
    }
    EXPECT_EQ(server.Signal(SIGTERM), 0);
}
