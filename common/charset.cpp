#include "common/charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace vantrel {

namespace {

class converter {
 public:
  converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~converter() {
    if (ok()) iconv_close(cd_);
  }
  converter(const converter&) = delete;
  converter& operator=(const converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The whole input converted; nullopt with the offset of the first input it could not take.
  std::optional<std::string> run(std::string_view in, size_t* bad_offset) {
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    auto grow = [&] {  // room for more, then on from where it stopped
      const size_t used = static_cast<size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
    };
    while (src_left > 0) {
      if (iconv(cd_, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) {
        grow();
        continue;
      }
      if (bad_offset) *bad_offset = in.size() - src_left;
      return std::nullopt;  // not convertible, or cut short at the end
    }
    // The closing bytes of an encoding with shift states.
    while (iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<size_t>(-1)) {
      if (errno != E2BIG) return std::nullopt;
      grow();
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> to_utf8(std::string_view bytes, const std::string& encoding, size_t* bad_offset) {
  converter c("UTF-8", encoding);
  if (!c.ok()) return std::nullopt;
  return c.run(bytes, bad_offset);
}

std::optional<std::string> from_utf8(std::string_view text, const std::string& encoding, size_t* bad_offset) {
  converter c(encoding, "UTF-8");
  if (!c.ok()) return std::nullopt;
  return c.run(text, bad_offset);
}

bool encoding_known(const std::string& encoding) {
  converter c("UTF-8", encoding);
  return c.ok();
}

size_t line_of(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

}  // namespace vantrel
