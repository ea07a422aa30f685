// Tidewatch's entry point.
#include <wx/app.h>

#include "app/tidewatch_app.h"

wxIMPLEMENT_APP_NO_MAIN(vantrel::CTidewatchApp);

int main(int argc, char** argv) {
  const int status = wxEntry(argc, argv);
  // A start that handed its file to the running window, or answered --help, ends well.
  return vantrel::early_exit_status().value_or(status);
}
