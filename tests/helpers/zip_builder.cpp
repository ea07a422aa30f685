#include "tests/helpers/zip_builder.h"

#include <zip.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vantrel::testing {

void write_zip(const std::string& path, const std::vector<zip_member>& members) {
  zipFile zf = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zf == nullptr) throw std::runtime_error("zipOpen failed");
  for (const zip_member& m : members) {
    zip_fileinfo info{};
    if (zipOpenNewFileInZip64(zf, m.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 1) != ZIP_OK ||
        zipWriteInFileInZip(zf, m.content.data(), static_cast<unsigned>(m.content.size())) != ZIP_OK ||
        zipCloseFileInZip(zf) != ZIP_OK) {
      zipClose(zf, nullptr);
      throw std::runtime_error("zip write failed");
    }
  }
  zipClose(zf, nullptr);
}

void falsify_sizes(const std::string& path, unsigned size) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto put32 = [&](size_t at, unsigned v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (std::memcmp(&bytes[i], "PK\x03\x04", 4) == 0 && i + 26 <= bytes.size()) put32(i + 22, size);
    if (std::memcmp(&bytes[i], "PK\x01\x02", 4) == 0 && i + 28 <= bytes.size()) put32(i + 24, size);
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace vantrel::testing
