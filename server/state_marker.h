// A note in the server's state folder of the database it last stored into. A database is made empty
// when its file is missing, which is also what a deleted file looks like: with the note, a start onto a
// new database where there was one says so loudly instead of carrying on as if nothing happened.
#pragma once

#include <string>

#include "server/score_store.h"

// The folder the note goes in when none is given: the SQLite file's own, or the working folder.
std::string DefaultStateFolder(const std::string& location);

// Compares the opened database with the note for this location, logs what it finds, and writes the note.
// False when this start is onto a new, empty database where the note names another one.
bool CheckStateMarker(const std::string& folder, const std::string& location, const StoreOpening& opening);
