#pragma once
// The few operating-system services that std::filesystem does not cover. One implementation
// per platform (platform_posix.cpp here); everything else in the project stays portable.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "common/status.h"

namespace vantrel::platform {

// The value of an environment variable, or nullopt when it is unset or empty.
std::optional<std::string> env(const char* name);

// Full path of the running program file, or empty text when it cannot be found.
std::string executable_path();

// The user's home folder ($HOME, else the password database).
std::string home_folder();

// A number that tells this user apart on this machine.
unsigned long user_id();

// Makes path a folder that only this user can enter, creating it (and missing parents) when
// absent. Refuses (false, with a reason in why) when it exists but is not a folder owned by
// this user, for example a link someone planted in a shared temporary folder.
status ensure_private_folder(const std::string& path);

// Creates a new, empty file with a unique name in folder, readable and writable by this user
// only. Its path, or why not.
result<std::string> create_unique_file(const std::string& folder, const std::string& prefix);

// Creates a new, empty file beside target (a hidden unique name in its folder) for a save
// that renames it over target once complete, with the rights the user's umask gives a new file
// (give it target's before the rename). Its path, or why not.
result<std::string> create_file_beside(const std::string& target);

// Creates a new, empty folder with a unique name in folder, which only this user may enter.
// Its path, or why not.
result<std::string> create_unique_folder(const std::string& folder, const std::string& prefix);

// Replaces the file at path with contents atomically: a reader sees the old file or the whole
// new one, never a part (a temporary file beside it, flushed to disk, renamed over it, the
// folder flushed). A link is written through to its target, which stays a file of the same
// rights; a new file gets the rights the user's umask gives. A failure leaves the old file
// untouched.
status replace_file(const std::string& path, const std::string& contents);
// Renames from to to only when nothing is named to yet: never replaces a file. busy (a file
// already has that name) leaves both as they were.
status rename_no_replace(const std::string& from, const std::string& to);
// The bytes an unprivileged program may still write on the file system holding path; none
// when that cannot be told.
std::optional<std::uint64_t> free_space(const std::string& path);
// The local calendar time of seconds since the epoch (thread-safe).
std::tm local_time(std::int64_t seconds);
// Flushes what was written to an open file down to the disk. false when that fails.
bool sync_to_disk(std::FILE* file);
// The same for a folder's entries (after a rename into it).
void sync_folder(const std::string& folder);

// Runs a program with an argument vector (never through a shell), searching PATH for argv[0],
// and waits for it. Its exit status, or -1 when it could not be started.
int run_program(const std::vector<std::string>& argv);
// Runs a program the same way and returns what it printed (at most max_bytes), or nullopt when
// it could not be started or did not end well.
std::optional<std::string> program_output(const std::vector<std::string>& argv, size_t max_bytes = 1 << 16);
// Starts a program the same way without waiting for it. false when it could not be started.
bool start_program(const std::vector<std::string>& argv);
// The full path of a program found on PATH, or nullopt.
std::optional<std::string> find_program(const std::string& name);
// Ctrl-C (an interrupt) no longer ends the program; interrupted() tells whether one came.
void watch_interrupts();
bool interrupted();

// This process's number.
long process_id();

// Whether standard output goes to a terminal (rather than a pipe or a file).
bool stdout_is_terminal();

// Peak resident memory of this process so far, in KiB.
long peak_memory_kib();

}  // namespace vantrel::platform
