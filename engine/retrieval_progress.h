#pragma once
// The progress of the page a job is receiving, shared by the job's worker (which writes it and
// reports pst_retrieving while holding its lock) and the job's owner (which reads it under the
// same lock when it shows the report). Each job record has its own.
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

}  // namespace vantrel
