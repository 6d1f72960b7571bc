// Watches the score server's default port for a whole test run: no test may send a score there, since a
// machine that runs the tests may also run a real score server on it.
//
//   port_guard start FOLDER [PORT]   listens on 127.0.0.1:PORT (4242 by default) in the background until
//                                    `check`, at most 3 hours
//   port_guard check FOLDER          stops the listener; fails when anything connected during the run
//
// A test that must prove something sends nothing can watch another port of its own the same way.
// When the port is taken, `start` says so and `check` passes: the unit tests that check that sending is
// off by default then stand in for it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr uint16_t kDefaultPort = 4242;
constexpr auto kLongestRun = std::chrono::hours(3);

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

int OpenGuard(uint16_t guardedPort) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(guardedPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Accepts and records every connection (with what it sent) until the stop file appears.
void Watch(int fd, const std::string& folder) {
    const auto end = std::chrono::steady_clock::now() + kLongestRun;
    while (!Exists(folder + "/stop") && std::chrono::steady_clock::now() < end) {
        pollfd wait = {fd, POLLIN, 0};
        if (poll(&wait, 1, 100) <= 0) {
            continue;
        }
        const int peer = accept(fd, nullptr, nullptr);
        if (peer < 0) {
            continue;
        }
        char bytes[2048];
        pollfd data = {peer, POLLIN, 0};
        ssize_t got = poll(&data, 1, 500) > 0 ? recv(peer, bytes, sizeof bytes, 0) : 0;
        close(peer);
        std::ofstream log(folder + "/connections", std::ios::app);
        log << "a connection, " << (got > 0 ? got : 0) << " bytes\n";
    }
    close(fd);
    std::ofstream(folder + "/stopped") << "stopped\n";
}

int Start(const std::string& folder, uint16_t guardedPort) {
    std::remove((folder + "/connections").c_str());
    std::remove((folder + "/stop").c_str());
    std::remove((folder + "/stopped").c_str());
    std::remove((folder + "/taken").c_str());
    const int fd = OpenGuard(guardedPort);
    if (fd < 0) {
        printf(
            "127.0.0.1:%ld is taken (%s): the run is not watched; the tests that check sending is off "
            "by default stand in\n",
            static_cast<long>(guardedPort), strerror(errno));
        std::ofstream(folder + "/taken") << "taken\n";
        return 0;
    }
    const pid_t child = fork();
    if (child < 0) {
        perror("fork");
        return 1;
    }
    if (child == 0) {
        setsid();
        signal(SIGHUP, SIG_IGN);
        // CTest waits for the output of its test to close: the watcher must not hold it.
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
            close(devNull);
        }
        Watch(fd, folder);
        _exit(0);
    }
    close(fd);
    printf("watching 127.0.0.1:%ld for the whole test run\n", static_cast<long>(guardedPort));
    return 0;
}

int Check(const std::string& folder) {
    // The port the start watched, for the messages.
    const std::string watched = Read(folder + "/port");
    const long guardedPort = watched.empty() ? kDefaultPort : strtol(watched.c_str(), nullptr, 10);
    if (Exists(folder + "/taken")) {
        printf("127.0.0.1:%ld was taken: not watched\n", guardedPort);
        return 0;
    }
    std::ofstream(folder + "/stop") << "stop\n";
    for (int i = 0; i < 50 && !Exists(folder + "/stopped"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!Exists(folder + "/stopped")) {
        printf("the watcher of 127.0.0.1:%ld was not running: the run was not watched\n", guardedPort);
        return 1;
    }
    const std::string connections = Read(folder + "/connections");
    if (!connections.empty()) {
        printf("something connected to 127.0.0.1:%ld during the test run:\n%s", guardedPort,
               connections.c_str());
        if (getenv("QUZ_PRIVATE_LOOPBACK") == nullptr) {
            printf(
                "(this run shared the machine's loopback: another program or test run may have been it; "
                "make test runs the tests on a loopback of their own)\n");
        }
        return 1;
    }
    printf("nothing connected to 127.0.0.1:%ld during the test run\n", guardedPort);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && strcmp(argv[1], "start") == 0)) {
        fprintf(stderr, "usage: port_guard start FOLDER [PORT] | check FOLDER\n");
        return 2;
    }
    mkdir(argv[2], 0755);
    if (strcmp(argv[1], "start") == 0) {
        const long port = argc == 4 ? strtol(argv[3], nullptr, 10) : kDefaultPort;
        if (port <= 0 || port > 65535) {
            fprintf(stderr, "port_guard: %s is not a port\n", argv[3]);
            return 2;
        }
        std::ofstream(std::string(argv[2]) + "/port") << port << "\n";
        return Start(argv[2], static_cast<uint16_t>(port));
    }
    if (strcmp(argv[1], "check") == 0) {
        return Check(argv[2]);
    }
    fprintf(stderr, "usage: port_guard start FOLDER [PORT] | check FOLDER\n");
    return 2;
}
