#pragma once
// Writes ParseDef packages: plain single-disk ZIP archives with deflated members (raw deflate,
// CRC-32), readable by any ZIP reader. Sizes and CRC go into the local header once a member is
// closed (no data descriptor). Members carry MS-DOS attributes and local-time dates.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/status.h"

struct z_stream_s;

namespace vantrel {

// A compression failure or a misuse of the writer. cause is the code of the result that raised
// it (see cause_of); path the archive's.
class CZipException : public std::runtime_error {
 public:
  CZipException(int result, std::string path);
  int cause() const { return cause_; }
  const std::string& path() const { return path_; }
  // 2..9 for zlib's results 1..-6, 10 for -102 (misuse), 11 for -103, 12 for -105, else 1.
  static int cause_of(int result);

 private:
  int cause_;
  std::string path_;
};

// The archive file could not be created or written.
class zip_file_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct zip_member_info {
  std::time_t modified = 0;  // becomes an MS-DOS local date, clamped to 1980..2107
  bool read_only = false;    // attributes 0x20 (archive), plus 0x01
};

class zip_writer {
 public:
  static constexpr int misuse = -102;

  zip_writer();
  ~zip_writer();  // an archive still open is abandoned (its file closed as it stands)
  zip_writer(const zip_writer&) = delete;
  zip_writer& operator=(const zip_writer&) = delete;

  // Creates or truncates path. Throws zip_file_error. Does nothing when already open.
  void open(const std::string& path);
  // Only method 8 (deflate) with a level of 1 to 9. A member still open is closed first; an
  // empty name becomes "-".
  void open_member(const std::string& name, const zip_member_info& info, int level = 9, int method = 8);
  void write(const void* data, size_t length);
  void close_member();
  // Closes an open member, writes the central directory and the end record, closes the file.
  void close(const std::string& comment = "");

 private:
  void put(const void* data, size_t length);
  void flush_output();
  [[noreturn]] void fail(int result);

  struct file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, file_closer> file_;
  std::string path_;
  std::string central_;  // the central directory being built
  int members_ = 0;
  // The open member.
  bool member_open_ = false;
  std::string header_;  // its central header (46 bytes and the name)
  long local_offset_ = 0;
  std::uint32_t crc_ = 0;
  std::unique_ptr<z_stream_s> stream_;
  std::string out_;  // compressed bytes not yet written (up to 16384)
};

// Adds the file at path as a member named by its file name (the part after the last "/" or
// "\"), level 9. A failure when it cannot be read or written.
status add_file(zip_writer& zip, const std::string& path);
// Adds bytes as a member stamped with the current time.
void add_bytes(zip_writer& zip, const std::string& name, const std::string& bytes);

// The MS-DOS date (high 16 bits) and time (low 16 bits) of t in local time, clamped to the
// years 1980 to 2107.
std::uint32_t dos_date_time(std::time_t t);

}  // namespace vantrel
