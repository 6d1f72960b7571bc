// Helpers of the server tests (and the server benchmark): messages as the game makes them, a client that
// sends one over the loopback and waits for the server's close, quz-scored run as a child process, and a
// throw-away PostgreSQL server.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

// A loopback port nothing listens on now (the kernel's pick for a socket closed at once).
uint16_t FreeLoopbackPort();
// A file's whole content ("" when it cannot be read).
std::string WholeFile(const std::string& path);
// A shell command's standard output and its exit status (-1 when it did not exit).
std::string CommandOutput(const std::string& command, int* exitStatus);

// The text the game would send, and that text scrambled with its checksum: the bytes on the wire.
std::string GameText(const std::string& name, int32_t score, uint32_t identity = 1234567,
                     const std::string& mode = "NORMAL");
std::vector<uint8_t> Wire(const std::string& text);

enum class SendOutcome {
    kClosed,    // the server closed its side in an orderly way (FIN)
    kReset,     // the connection was reset, or a send failed
    kNoAnswer,  // the server neither closed nor reset within the wait
    kNoConnect,
};

struct SendOptions {
    size_t chunks = 1;                      // the message is sent in this many pieces...
    std::chrono::milliseconds gap{0};       // ...with this pause between them
    bool halfClose = true;                  // shutdown(SHUT_WR) after the last piece, as a careful client
    std::chrono::milliseconds wait{10000};  // how long to wait for the server's close
};

// Connects to 127.0.0.1:port (from the loopback address `from`, or the system's choice), sends, and waits
// for the server's close.
SendOutcome SendToServer(uint16_t port, const std::vector<uint8_t>& bytes, const SendOptions& options = {},
                         const std::string& from = "");

// The options of a load from many clients of 127.0.0.1: the per-address limits are lifted, and a short read
// time-out keeps the slow clients' share of the run small.
inline const std::vector<std::string> kLoadServerOptions = {
    "--rate-limit", "0", "--per-address-connections", "0", "--read-timeout", "1", "--max-connections", "256"};

// quz-scored started by the test with its own arguments and log.
class ServerProcess {
  public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts it on free loopback ports with the database and extra options, and waits until it listens.
    // Its state folder is a fresh one of its own unless the options give --state-dir.
    bool Start(const std::string& database, const std::vector<std::string>& extra = {});
    uint16_t ScorePort() const { return scorePort; }
    uint16_t WebPort() const { return webPort; }
    pid_t Pid() const { return pid; }

    // Sends the signal and waits (bounded) for the exit; the exit status, or -1.
    int Signal(int signal, std::chrono::milliseconds wait = std::chrono::seconds(20));
    std::string Log() const;

  private:
    pid_t pid = -1;
    std::string logPath;
    std::string stateFolder;
    uint16_t scorePort = 0;
    uint16_t webPort = 0;
};

// GET on the server's web port: status (0 when no answer) and body.
int HttpGet(uint16_t port, const std::string& path, std::string* body,
            const std::string& acceptLanguage = "");

// A PostgreSQL server of Debian's package, run in a temporary folder by an unprivileged user, on a
// socket of its own; stopped and removed by Stop or at the end of the test program.
class PostgresServer {
  public:
    ~PostgresServer() { Stop(); }
    bool Start();
    void Stop();
    // Stops the server the fast way, which ends every session, keeping its data; Resume starts it again.
    void Halt();
    bool Resume();
    bool Running() const { return pid > 0; }
    const std::string& Problem() const { return problem; }
    // A new empty database: its URL for quz-scored, or "" on failure.
    std::string CreateDatabase(const std::string& name);

  private:
    pid_t pid = -1;
    std::string folder;
    std::string bin;
    std::string problem;
    uint16_t port = 0;
};

// One server for the whole test program, started on first use; null (with the reason) when it cannot run.
PostgresServer* SharedPostgres(std::string* problem);

// A fresh temporary folder, removed by the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path; }

  private:
    std::string path;
};

// Where a test's score store lives for the backend named "sqlite" or "postgres": a file in folder, or a
// new database of the shared PostgreSQL server called prefix_N. "" on failure; *problem then says why
// PostgreSQL cannot run at all (a test skips), and stays empty when only the database failed (it fails).
std::string TestStoreLocation(const std::string& backend, const TempFolder& folder, const std::string& prefix,
                              std::string* problem);

// The load of the acceptance test: valid messages mixed with abusive ones, from many clients at once.
struct LoadPlan {
    int clients = 50;
    int valid = 20000;
    int malformed = 600;  // right checksum, a field the server must refuse
    int badChecksum = 400;
    int truncated = 400;  // cut short (the empty message included), then half-closed
    int oversized = 200;
    int slow = 40;       // a few bytes, then nothing: the server must drop them
    int chunked = 1000;  // of the valid ones: sent in three pieces with pauses, still in time
    int firstId = 0;     // valid message i carries the name "L<firstId + i>" and the score i
};

struct LoadResult {
    int validClosed = 0;  // valid messages whose connection the server closed in order
    int validNotClosed = 0;
    int abusiveEnded = 0;  // abusive connections the server ended (closed or reset)
    int abusiveHung = 0;   // abusive connections the server left open past the wait
    double seconds = 0;
    // For the crash test: the ids whose close was seen, each with the time it was seen.
    std::vector<std::pair<int, std::chrono::steady_clock::time_point>> closedAt;
};

// Runs the plan against 127.0.0.1:port. `stop` (optional) ends it early when set.
LoadResult RunLoad(uint16_t port, const LoadPlan& plan, const std::atomic<bool>* stop = nullptr);

// Every stored name, read past the server; and whether the database is sound (SQLite checks its file).
bool ReadStoredNames(const std::string& location, std::multiset<std::string>* names, std::string* integrity);

// Only the valid messages, from `clients` threads, and the seconds it took (for the benchmark).
double SendValidMessages(uint16_t port, int clients, int count);
