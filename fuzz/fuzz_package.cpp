// Unpacking ".nov" packages: whatever the archive holds, nothing may be written outside the
// unpack folder and nothing may crash.
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/parsedef_file.h"
#include "common/paths.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = vantrel::fuzz::scratch();
  const std::string package = dir + "/input.nov";
  vantrel::fuzz::write(package, data, size);
  vantrel::parsedef_file f(vantrel::tidewatch_folder);
  f.load(package);
  f.get_logo();
  f.get_version();
  // Only the input and the private folders may exist in the scratch directory.
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name != "input.nov" && name != "run" && name != "parsedef.xml") std::abort();
  }
  return 0;
}
