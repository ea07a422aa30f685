#include "ui/shell.h"

#include <wx/log.h>
#include <wx/utils.h>

#include "common/text_util.h"
#include "ui/wx_text.h"

namespace vantrel {

bool shell_open(const std::string& link) {
  if (!is_openable_link(link)) return false;
  wxLogNull quiet;  // no toolkit error box when there is no browser
  return wxLaunchDefaultBrowser(to_wx(std::string(trim_spaces(link))));
}

}  // namespace vantrel
