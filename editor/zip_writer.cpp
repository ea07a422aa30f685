#include "editor/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>

#include "common/file_read.h"
#include "common/platform.h"
#include "common/text_util.h"

namespace vantrel {

namespace {

constexpr size_t output_size = 16384;

void le16(std::string& s, unsigned v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void le32(std::string& s, std::uint32_t v) {
  le16(s, v & 0xFFFF);
  le16(s, v >> 16);
}
void patch32(std::string& s, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

unsigned flags_for(int level) {
  if (level >= 8) return 2;
  if (level == 2) return 4;
  if (level == 1) return 6;
  return 0;
}

}  // namespace

CZipException::CZipException(int result, std::string path)
    : std::runtime_error("zip: " + std::string(result == zip_writer::misuse ? "writer misuse" : zError(result)) +
                         (path.empty() ? "" : " (" + path + ")")),
      cause_(cause_of(result)),
      path_(std::move(path)) {}

int CZipException::cause_of(int result) {
  switch (result) {
    case Z_STREAM_END:
      return 2;
    case Z_NEED_DICT:
      return 3;
    case Z_ERRNO:
      return 4;
    case Z_STREAM_ERROR:
      return 5;
    case Z_DATA_ERROR:
      return 6;
    case Z_MEM_ERROR:
      return 7;
    case Z_BUF_ERROR:
      return 8;
    case Z_VERSION_ERROR:
      return 9;
    case -102:
      return 10;
    case -103:
      return 11;
    case -105:
      return 12;
    default:
      return 1;
  }
}

std::uint32_t dos_date_time(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  int year = local.tm_year + 1900;
  if (year < 1980) return (0u << 25) | (1u << 21) | (1u << 16);  // 1980-01-01 00:00:00
  if (year > 2107) year = 2107;
  const std::uint32_t date =
      static_cast<std::uint32_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  const std::uint32_t time =
      static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  return (date << 16) | time;
}

zip_writer::zip_writer() = default;

zip_writer::~zip_writer() {
  if (member_open_ && stream_) deflateEnd(stream_.get());
}

void zip_writer::fail(int result) { throw CZipException(result, path_); }

void zip_writer::put(const void* data, size_t length) {
  if (length > 0 && std::fwrite(data, 1, length, file_.get()) != length) {
    throw zip_file_error("unable to write " + path_);
  }
}

void zip_writer::open(const std::string& path) {
  if (file_) return;
  file_.reset(std::fopen(path.c_str(), "wb"));
  if (!file_) throw zip_file_error("unable to create " + path);
  path_ = path;
  central_.clear();
  members_ = 0;
}

void zip_writer::open_member(const std::string& name_in, const zip_member_info& info, int level, int method) {
  if (!file_ || method != Z_DEFLATED || level < 1 || level > 9) fail(misuse);
  if (member_open_) close_member();
  const std::string name = name_in.empty() ? "-" : name_in;
  const std::uint32_t when = dos_date_time(info.modified);
  // Bit 11: the name is UTF-8, so readers show "Новости.xml" as written, not in a DOS code page.
  const bool utf8_name = is_valid_utf8(name) && std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; });
  const unsigned flags = flags_for(level) | (utf8_name ? 0x0800u : 0u);
  local_offset_ = std::ftell(file_.get());

  std::string local;
  le32(local, 0x04034B50);
  le16(local, 20);
  le16(local, flags);
  le16(local, Z_DEFLATED);
  le32(local, when);
  le32(local, 0);
  le32(local, 0);
  le32(local, 0);
  le16(local, static_cast<unsigned>(name.size()));
  le16(local, 0);
  local += name;
  put(local.data(), local.size());

  header_.clear();
  le32(header_, 0x02014B50);
  // Made by MS-DOS: the attributes below are DOS attributes. A UTF-8 name is said to come from
  // Windows (NTFS, whose attributes are the same), since readers turn the names of MS-DOS
  // members into a DOS code page whatever their flag says.
  le16(header_, utf8_name ? (11u << 8) | 20u : 0u);
  le16(header_, 20);
  le16(header_, flags);
  le16(header_, Z_DEFLATED);
  le32(header_, when);
  le32(header_, 0);  // CRC-32, sizes: patched when the member closes
  le32(header_, 0);
  le32(header_, 0);
  le16(header_, static_cast<unsigned>(name.size()));
  le16(header_, 0);
  le16(header_, 0);
  le16(header_, 0);
  le16(header_, 0);
  le32(header_, info.read_only ? 0x21 : 0x20);
  le32(header_, static_cast<std::uint32_t>(local_offset_));
  header_ += name;

  stream_ = std::make_unique<z_stream_s>();
  const int rc = deflateInit2(stream_.get(), level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  if (rc != Z_OK) fail(rc);
  crc_ = crc32(0L, Z_NULL, 0);
  out_.clear();
  member_open_ = true;
}

void zip_writer::flush_output() {
  put(out_.data(), out_.size());
  out_.clear();
}

void zip_writer::write(const void* data, size_t length) {
  if (!member_open_) fail(misuse);
  const auto* bytes = static_cast<const Bytef*>(data);
  unsigned char buffer[output_size];
  while (length > 0) {
    const uInt chunk = static_cast<uInt>(std::min<size_t>(length, 1u << 30));
    crc_ = static_cast<std::uint32_t>(crc32(crc_, bytes, chunk));
    stream_->next_in = const_cast<Bytef*>(bytes);
    stream_->avail_in = chunk;
    while (stream_->avail_in > 0) {
      stream_->next_out = buffer;
      stream_->avail_out = output_size;
      const int rc = deflate(stream_.get(), Z_NO_FLUSH);
      if (rc != Z_OK) fail(rc);
      out_.append(reinterpret_cast<char*>(buffer), output_size - stream_->avail_out);
      if (out_.size() >= output_size) flush_output();
    }
    bytes += chunk;
    length -= chunk;
  }
}

void zip_writer::close_member() {
  if (!member_open_) fail(misuse);
  unsigned char buffer[output_size];
  int rc = Z_OK;
  while (rc == Z_OK) {
    stream_->next_out = buffer;
    stream_->avail_out = output_size;
    rc = deflate(stream_.get(), Z_FINISH);
    out_.append(reinterpret_cast<char*>(buffer), output_size - stream_->avail_out);
  }
  if (rc != Z_STREAM_END) fail(rc);
  flush_output();
  const std::uint32_t compressed = static_cast<std::uint32_t>(stream_->total_out);
  const std::uint32_t uncompressed = static_cast<std::uint32_t>(stream_->total_in);
  rc = deflateEnd(stream_.get());
  member_open_ = false;
  if (rc != Z_OK) fail(rc);
  patch32(header_, 16, crc_);
  patch32(header_, 20, compressed);
  patch32(header_, 24, uncompressed);
  central_ += header_;

  // The local header learns the same values; no data descriptor is needed.
  const long end = std::ftell(file_.get());
  std::string sizes;
  le32(sizes, crc_);
  le32(sizes, compressed);
  le32(sizes, uncompressed);
  if (std::fseek(file_.get(), local_offset_ + 14, SEEK_SET) != 0) throw zip_file_error("unable to write " + path_);
  put(sizes.data(), sizes.size());
  if (std::fseek(file_.get(), end, SEEK_SET) != 0) throw zip_file_error("unable to write " + path_);
  ++members_;
}

void zip_writer::close(const std::string& comment) {
  if (!file_) return;
  if (member_open_) close_member();
  const long offset = std::ftell(file_.get());
  put(central_.data(), central_.size());
  std::string end;
  le32(end, 0x06054B50);
  le16(end, 0);
  le16(end, 0);
  le16(end, static_cast<unsigned>(members_));
  le16(end, static_cast<unsigned>(members_));
  le32(end, static_cast<std::uint32_t>(central_.size()));
  le32(end, static_cast<std::uint32_t>(offset));
  le16(end, static_cast<unsigned>(comment.size()));
  end += comment;
  put(end.data(), end.size());
  std::FILE* f = file_.release();
  // On the disk before anyone renames it over a package that was there.
  const bool flushed = std::fflush(f) == 0 && platform::sync_to_disk(f);
  if (std::fclose(f) != 0 || !flushed) throw zip_file_error("unable to write " + path_);
}

status add_file(zip_writer& zip, const std::string& path) {
  namespace fs = std::filesystem;
  auto read = read_whole_file(path, std::numeric_limits<unsigned long long>::max());
  if (!read) return read.error().in(path);
  const std::string bytes = std::move(*read);
  std::error_code ec;
  zip_member_info info;
  const auto stamp = fs::last_write_time(path, ec);
  info.modified =
      ec ? std::time(nullptr) : std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(stamp));
  const auto perms = fs::status(path, ec).permissions();
  info.read_only = !ec && (perms & fs::perms::owner_write) == fs::perms::none;
  std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
  try {
    zip.open_member(name, info);
    const std::string& data = bytes;
    zip.write(data.data(), data.size());
    zip.close_member();
  } catch (const std::exception& e) {
    return {status_code::io_error, e.what()};
  }
  return {};
}

void add_bytes(zip_writer& zip, const std::string& name, const std::string& bytes) {
  zip_member_info info;
  info.modified = std::time(nullptr);
  zip.open_member(name, info);
  zip.write(bytes.data(), bytes.size());
  zip.close_member();
}

}  // namespace vantrel
