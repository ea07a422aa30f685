#pragma once
// The headline store's file: its schema and what brings an older one up to date, the checks at
// open (the schema changed by hand, and once a day the whole file read through), and keeping a
// damaged one aside. The store (headline_store) opens its file through here.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/headline.h"
#include "common/sqlite_db.h"
#include "common/status.h"

namespace vantrel::store_file {

// The schema version this Vantrel writes.
inline constexpr int schema_version = 2;

// Opens and checks the file at path into db: the pragmas, the schema version and tables
// (making them in a new file, bringing an older one up), and with whole_file (when due) that it
// reads as a store. damaged: not a store, one whose schema was changed by hand, or one that does
// not read as it should (the caller keeps it aside); too_new: left as it is.
status open_checked(const std::string& path, sqlite_db& db, bool whole_file);
// Whether every page of the file reads as it should (a damaged one throws or says so).
bool reads_whole(sqlite_db& db);
// Remembers a sound whole-file check at now.
void note_checked(sqlite_db& db, unix_time now);
// Keeps a damaged file aside under a name of its own (with its journal); the name.
std::string keep_aside(const std::string& path);
// What the user is told of a damaged store kept aside; why: what was found.
std::string damaged_notice(const std::string& path, const std::string& aside, const status& why);
// A headline's identity in the eight bytes the store keys it by.
std::int64_t identity_tag(std::string_view identity);

}  // namespace vantrel::store_file
