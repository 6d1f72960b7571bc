// The state folder's note of the last database (see state_marker.h).
#include "server/state_marker.h"

#include <cstdio>
#include <fstream>

#include "server/server_log.h"

namespace {

// The note's name holds no part of the location: a PostgreSQL URL may carry a password.
std::string MarkerPath(const std::string& folder, const std::string& location) {
    uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : location) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char name[64];
    snprintf(name, sizeof name, "/.quz-scored-database-%016llx", static_cast<unsigned long long>(hash));
    return folder + name;
}

}  // namespace

std::string DefaultStateFolder(const std::string& location) {
    if (IsPostgresLocation(location)) {
        return ".";
    }
    size_t slash = location.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : location.substr(0, slash);
}

bool CheckStateMarker(const std::string& folder, const std::string& location, const StoreOpening& opening) {
    std::string path = MarkerPath(folder, location);
    std::string previous;
    {
        std::ifstream in(path);
        std::getline(in, previous);
    }
    bool sound = true;
    if (!previous.empty() && previous != opening.databaseId) {
        if (opening.foundVersion == 0) {
            sound = false;
            for (int i = 0; i < 3; ++i) {
                LogLine("WARNING: THE DATABASE IS NEW AND EMPTY, BUT THIS SERVER STORED SCORES HERE BEFORE");
            }
            LogLine(
                "WARNING: the database this server last stored into (id %s) is gone: its scores are not "
                "in the new one (id %s). Stop the server and restore the database from a backup; the "
                "note of the last database is %s.",
                previous.c_str(), opening.databaseId.c_str(), path.c_str());
        } else {
            LogLine("the database is not the one this server used last (id %s, now %s)", previous.c_str(),
                    opening.databaseId.c_str());
        }
    }
    if (previous != opening.databaseId) {
        std::string temporary = path + ".new";
        std::ofstream out(temporary, std::ios::trunc);
        out << opening.databaseId << "\n";
        out.close();
        if (!out || std::rename(temporary.c_str(), path.c_str()) != 0) {
            std::remove(temporary.c_str());
            LogLine(
                "cannot write the note of the database in %s: a start onto an empty database will not be "
                "noticed",
                folder.c_str());
        }
    }
    return sound;
}
