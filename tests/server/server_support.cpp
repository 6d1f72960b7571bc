// Helpers of the server tests (see server_support.h).
#include "server_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include "http_test_client.h"
#include "net/message.h"
#include "net/score_message.h"

#ifndef QUZ_SCORED
#define QUZ_SCORED "quz-scored"
#endif

using Clock = std::chrono::steady_clock;

namespace {

uint16_t PickFreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        close(fd);
    }
    return port;
}

// Waits for the child's exit for at most `wait`; its status, or -1 if it is still running.
int WaitForExit(pid_t pid, std::chrono::milliseconds wait) {
    Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 || Clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// fork + exec with output to a file. The child dies with the test program, and runs as `runAs` (a user
// id) when given.
pid_t Spawn(const std::vector<std::string>& args, const std::string& logPath, const passwd* runAs,
            int deathSignal) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (log >= 0) {
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        close(log);
    }
    if (runAs != nullptr &&
        (setgroups(0, nullptr) != 0 || setgid(runAs->pw_gid) != 0 || setuid(runAs->pw_uid) != 0)) {
        _exit(126);
    }
    // Set after the change of user, which clears it.
    prctl(PR_SET_PDEATHSIG, deathSignal);
    if (getppid() != parent) {
        _exit(125);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

uint16_t FreeLoopbackPort() {
    return PickFreePort();
}

std::string WholeFile(const std::string& path) {
    return ReadFile(path);
}

std::string CommandOutput(const std::string& command, int* exitStatus) {
    std::string output;
    *exitStatus = -1;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    int status = pclose(pipe);
    *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string GameText(const std::string& name, int32_t score, uint32_t identity, const std::string& mode) {
    ScoreFields fields;
    fields.identity = identity;
    fields.playerName = name.c_str();
    fields.mode = mode.c_str();
    fields.score = score;
    char text[kScoreMessageSize];
    return FormatScoreText(text, sizeof text, fields) ? std::string(text) : std::string();
}

std::vector<uint8_t> Wire(const std::string& text) {
    std::unique_ptr<uint8_t[]> bytes = ScrambleMessage(text.data(), text.size());
    return std::vector<uint8_t>(bytes.get(), bytes.get() + text.size() + kChecksumSize);
}

SendOutcome SendToServer(uint16_t port, const std::vector<uint8_t>& bytes, const SendOptions& options,
                         const std::string& from) {
    int fd = ConnectFrom(from, port);
    if (fd < 0) {
        return SendOutcome::kNoConnect;
    }
    size_t chunks = std::max<size_t>(options.chunks, 1);
    size_t sent = 0;
    for (size_t i = 0; i < chunks; ++i) {
        size_t end = i + 1 == chunks ? bytes.size() : bytes.size() * (i + 1) / chunks;
        while (sent < end) {
            ssize_t n = send(fd, bytes.data() + sent, end - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                close(fd);
                return SendOutcome::kReset;
            }
            sent += static_cast<size_t>(n);
        }
        if (i + 1 < chunks) {
            std::this_thread::sleep_for(options.gap);
        }
    }
    if (options.halfClose) {
        shutdown(fd, SHUT_WR);
    }
    SendOutcome outcome = SendOutcome::kNoAnswer;
    Clock::time_point deadline = Clock::now() + options.wait;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry = {fd, POLLIN, 0};
        int ready = poll(&entry, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (ready <= 0) {
            break;
        }
        char sink[256];
        ssize_t n = recv(fd, sink, sizeof sink, 0);
        if (n == 0) {
            outcome = SendOutcome::kClosed;
            break;
        }
        if (n < 0) {
            outcome = SendOutcome::kReset;
            break;
        }
    }
    close(fd);
    return outcome;
}

ServerProcess::~ServerProcess() {
    if (pid > 0) {
        Signal(SIGKILL);
    }
    if (!logPath.empty()) {
        unlink(logPath.c_str());
    }
    if (!stateFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(stateFolder, ignored);
    }
}

bool ServerProcess::Start(const std::string& database, const std::vector<std::string>& extra) {
    char path[] = "/tmp/quz-scored-log-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        return false;
    }
    close(fd);
    logPath = path;
    char folder[] = "/tmp/quz-scored-state-XXXXXX";
    if (stateFolder.empty() && mkdtemp(folder) != nullptr) {
        stateFolder = folder;
    }
    std::vector<std::string> args = {QUZ_SCORED, "--bind",      "127.0.0.1",   "--http-bind", "127.0.0.1",
                                     "--port",   "0",           "--http-port", "0",           "--db",
                                     database,   "--state-dir", stateFolder};
    args.insert(args.end(), extra.begin(), extra.end());
    pid = Spawn(args, logPath, nullptr, SIGKILL);
    if (pid < 0) {
        return false;
    }
    std::regex listening(R"(scores on [^ ]*:(\d+) and for the web on [^ ]*:(\d+))");
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        std::smatch match;
        std::string log = ReadFile(logPath);
        if (std::regex_search(log, match, listening)) {
            scorePort = static_cast<uint16_t>(std::stoi(match[1]));
            webPort = static_cast<uint16_t>(std::stoi(match[2]));
            return true;
        }
        if (WaitForExit(pid, std::chrono::milliseconds(0)) >= 0) {
            pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int ServerProcess::Signal(int signal, std::chrono::milliseconds wait) {
    if (pid <= 0) {
        return -1;
    }
    kill(pid, signal);
    int status = WaitForExit(pid, wait);
    if (status < 0) {
        kill(pid, SIGKILL);
        WaitForExit(pid, std::chrono::seconds(5));
    }
    pid = -1;
    return status;
}

std::string ServerProcess::Log() const {
    return ReadFile(logPath);
}

int HttpGet(uint16_t port, const std::string& path, std::string* body, const std::string& acceptLanguage) {
    std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!acceptLanguage.empty()) {
        request += "Accept-Language: " + acceptLanguage + "\r\n";
    }
    HttpAnswer answer = RawRequest(port, request + "\r\n");
    *body = answer.body;
    return answer.status;
}

TempFolder::TempFolder() {
    char pattern[] = "/tmp/quz-server-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) {
        path = pattern;
    }
}

TempFolder::~TempFolder() {
    if (!path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}

bool PostgresServer::Start() {
    std::error_code ec;
    // The newest installed version of Debian's package.
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        std::string candidate = entry.path().string() + "/bin";
        if (std::filesystem::exists(candidate + "/initdb") && candidate > bin) {
            bin = candidate;
        }
    }
    if (bin.empty()) {
        problem = "no PostgreSQL server installed (/usr/lib/postgresql/*/bin/initdb)";
        return false;
    }
    // PostgreSQL refuses to run as root: as root, the server runs as nobody.
    const passwd* user = nullptr;
    if (geteuid() == 0) {
        user = getpwnam("nobody");
        if (user == nullptr) {
            problem = "running as root and there is no user nobody to run PostgreSQL as";
            return false;
        }
    }
    char pattern[] = "/tmp/quz-pg-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        problem = "cannot make a temporary folder";
        return false;
    }
    folder = pattern;
    if (user != nullptr && chown(folder.c_str(), user->pw_uid, user->pw_gid) != 0) {
        problem = "cannot give the temporary folder to nobody";
        return false;
    }
    std::string log = folder + "/server.log";
    pid_t init = Spawn({bin + "/initdb", "-D", folder + "/data", "-U", "quz", "-A", "trust", "-E", "UTF8",
                        "--locale=C", "-N"},
                       log, user, SIGKILL);
    if (init < 0 || WaitForExit(init, std::chrono::seconds(120)) != 0) {
        problem = "initdb failed: " + ReadFile(log).substr(0, 2000);
        return false;
    }
    port = PickFreePort();
    return Resume();
}

bool PostgresServer::Resume() {
    const passwd* user = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    std::string log = folder + "/server.log";
    // Only a socket in the folder: nothing listens on the network, and two test runs never meet.
    pid = Spawn({bin + "/postgres", "-D", folder + "/data", "-k", folder, "-h", "", "-p",
                 std::to_string(port), "-F", "-c", "max_connections=40", "-c", "shared_buffers=16MB"},
                log, user, SIGINT);
    if (pid < 0) {
        problem = "cannot start postgres";
        return false;
    }
    std::string conninfo = "host=" + folder + " port=" + std::to_string(port) + " user=quz dbname=postgres";
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
    while (PQping(conninfo.c_str()) != PQPING_OK) {
        if (Clock::now() >= deadline || WaitForExit(pid, std::chrono::milliseconds(0)) >= 0) {
            problem = "postgres did not start: " + ReadFile(log).substr(0, 2000);
            pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string PostgresServer::CreateDatabase(const std::string& name) {
    std::string conninfo = "host=" + folder + " port=" + std::to_string(port) + " user=quz dbname=postgres";
    PGconn* conn = PQconnectdb(conninfo.c_str());
    bool ok = false;
    if (PQstatus(conn) == CONNECTION_OK) {
        PGresult* result = PQexec(conn, ("CREATE DATABASE " + name).c_str());
        ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
    }
    PQfinish(conn);
    if (!ok) {
        return "";
    }
    return "postgresql://quz@/" + name + "?host=" + folder + "&port=" + std::to_string(port);
}

void PostgresServer::Halt() {
    if (pid > 0) {
        // SIGINT: the fast shut-down, which ends the sessions still open.
        kill(pid, SIGINT);
        if (WaitForExit(pid, std::chrono::seconds(30)) < 0) {
            kill(pid, SIGKILL);
            WaitForExit(pid, std::chrono::seconds(5));
        }
        pid = -1;
    }
}

void PostgresServer::Stop() {
    Halt();
    if (!folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        folder.clear();
    }
}

PostgresServer* SharedPostgres(std::string* problem) {
    static std::mutex mutex;
    static std::unique_ptr<PostgresServer> server;
    static bool tried = false;
    static std::string reason;
    std::lock_guard lock(mutex);
    if (!tried) {
        tried = true;
        server = std::make_unique<PostgresServer>();
        if (!server->Start()) {
            reason = server->Problem();
            server->Stop();
            server.reset();
        } else {
            // Stopped when the program ends, whichever way the tests went.
            std::atexit([] { server.reset(); });
        }
    }
    *problem = reason;
    return server.get();
}

std::string TestStoreLocation(const std::string& backend, const TempFolder& folder, const std::string& prefix,
                              std::string* problem) {
    problem->clear();
    if (backend == "sqlite") {
        return folder.Path() + "/scores.sqlite";
    }
    PostgresServer* server = SharedPostgres(problem);
    if (server == nullptr) {
        return "";
    }
    static std::atomic<int> databases{0};
    return server->CreateDatabase(prefix + "_" + std::to_string(databases.fetch_add(1)));
}

namespace {

enum class Kind { kValid, kChunked, kMalformed, kBadChecksum, kTruncated, kOversized, kSlow };

std::vector<uint8_t> Malformed(int i) {
    std::string name = "M" + std::to_string(i);
    switch (i % 9) {
        case 0:
            return Wire("1\tSVEK\tvektcp\twrong999\t" + name + "\tquz\tNORMAL\t5");
        case 1:
            return Wire("1\tSVEK\tvektcp\twf418352\t" + name + "\tquz\tNORMAL");
        case 2:
            return Wire(GameText(std::string(28, 'X'), 5));
        case 3:
            return Wire(GameText("bad\x01name", 5));
        case 4:
            return Wire("1\tSVEK\tvektcp\twf418352\t" + name + "\tquz\tNORMAL\t2147483648");
        case 5:
            return Wire("-1\tSVEK\tvektcp\twf418352\t" + name + "\tquz\tNORMAL\t5");
        case 6:
            return Wire("1\tXVEK\tvektcp\twf418352\t" + name + "\tquz\tNORMAL\t5");
        case 7:
            return Wire("1\tSVEK\tvektcp\twf418352\t" + name + "\tother\tNORMAL\t5");
        default:
            return Wire("1\tSVEK\tvektcp\twf418352\t" + name + "\tquz\t\t5");
    }
}

}  // namespace

LoadResult RunLoad(uint16_t port, const LoadPlan& plan, const std::atomic<bool>* stop) {
    std::vector<std::pair<Kind, int>> tasks;
    tasks.reserve(static_cast<size_t>(plan.valid + plan.malformed + plan.badChecksum + plan.truncated +
                                      plan.oversized + plan.slow));
    for (int i = 0; i < plan.valid; ++i) {
        tasks.emplace_back(i < plan.chunked ? Kind::kChunked : Kind::kValid, i);
    }
    auto add = [&tasks](Kind kind, int count) {
        for (int i = 0; i < count; ++i) {
            tasks.emplace_back(kind, i);
        }
    };
    add(Kind::kMalformed, plan.malformed);
    add(Kind::kBadChecksum, plan.badChecksum);
    add(Kind::kTruncated, plan.truncated);
    add(Kind::kOversized, plan.oversized);
    add(Kind::kSlow, plan.slow);
    std::mt19937 shuffle(1234);
    std::shuffle(tasks.begin(), tasks.end(), shuffle);

    LoadResult result;
    std::mutex mutex;
    std::atomic<size_t> next{0};
    Clock::time_point start = Clock::now();
    auto work = [&] {
        LoadResult mine;
        std::mt19937 random(static_cast<unsigned>(next.load() * 7919 + 17));
        for (size_t t; (t = next.fetch_add(1)) < tasks.size();) {
            if (stop != nullptr && stop->load()) {
                break;
            }
            auto [kind, i] = tasks[t];
            int id = plan.firstId + i;
            if (kind == Kind::kValid || kind == Kind::kChunked) {
                SendOptions options;
                if (kind == Kind::kChunked) {
                    options.chunks = 3;
                    options.gap = std::chrono::milliseconds(20);
                }
                std::vector<uint8_t> bytes =
                    Wire(GameText("L" + std::to_string(id), i, static_cast<uint32_t>(i % 977)));
                if (SendToServer(port, bytes, options) == SendOutcome::kClosed) {
                    ++mine.validClosed;
                    mine.closedAt.emplace_back(id, Clock::now());
                } else {
                    ++mine.validNotClosed;
                }
                continue;
            }
            std::vector<uint8_t> bytes = Wire(GameText("A" + std::to_string(i), i));
            SendOptions options;
            switch (kind) {
                case Kind::kMalformed:
                    bytes = Malformed(i);
                    break;
                case Kind::kBadChecksum:
                    bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1 + random() % 255);
                    break;
                case Kind::kTruncated:
                    bytes.resize(random() % bytes.size());
                    break;
                case Kind::kOversized:
                    bytes.resize(kScoreWireLimit + 1 + random() % 4000, 'x');
                    break;
                default:  // slow: a first piece, then silence until the server gives up
                    bytes.resize(3);
                    options.halfClose = false;
                    break;
            }
            SendOutcome outcome = SendToServer(port, bytes, options);
            if (outcome == SendOutcome::kNoAnswer) {
                ++mine.abusiveHung;
            } else {
                ++mine.abusiveEnded;
            }
        }
        std::lock_guard lock(mutex);
        result.validClosed += mine.validClosed;
        result.validNotClosed += mine.validNotClosed;
        result.abusiveEnded += mine.abusiveEnded;
        result.abusiveHung += mine.abusiveHung;
        result.closedAt.insert(result.closedAt.end(), mine.closedAt.begin(), mine.closedAt.end());
    };
    std::vector<std::thread> clients;
    clients.reserve(static_cast<size_t>(plan.clients));
    for (int c = 0; c < plan.clients; ++c) {
        clients.emplace_back(work);
    }
    for (std::thread& client : clients) {
        client.join();
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return result;
}

double SendValidMessages(uint16_t port, int clients, int count) {
    LoadPlan plan;
    plan.clients = clients;
    plan.valid = count;
    plan.malformed = plan.badChecksum = plan.truncated = plan.oversized = plan.slow = plan.chunked = 0;
    return RunLoad(port, plan).seconds;
}

bool ReadStoredNames(const std::string& location, std::multiset<std::string>* names, std::string* integrity) {
    if (location.rfind("postgres", 0) == 0) {
        PGconn* conn = PQconnectdb(location.c_str());
        PGresult* result = PQexec(conn, "SELECT name FROM scores");
        bool ok = PQresultStatus(result) == PGRES_TUPLES_OK;
        for (int i = 0; ok && i < PQntuples(result); ++i) {
            names->insert(PQgetvalue(result, i, 0));
        }
        PQclear(result);
        PQfinish(conn);
        *integrity = "ok";
        return ok;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(location.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    if (sqlite3_step(check) == SQLITE_ROW) {
        *integrity = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    }
    sqlite3_finalize(check);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM scores", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
        names->insert(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return true;
}
