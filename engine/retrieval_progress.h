#pragma once
// The progress of the page being received, shared by the worker (which writes it and reports
// pst_retrieving while holding its lock) and the window (which reads it under the same lock
// when it shows the report). One for the whole process.
#include <mutex>
#include <string>

namespace vantrel {

struct retrieval_progress {
  std::mutex lock;
  std::string site_name;  // at most 255 bytes
  int proc = 0;           // transfer phase: 1 request, 2 reply headers, 3 body
  long long bytes_read = 0;
  long long bytes_total = -1;  // -1 while the length is unknown
};

retrieval_progress& the_retrieval_progress();

}  // namespace vantrel
