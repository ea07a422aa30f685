#pragma once
// The parse job's worker: runs one job record from start to end.
#include <functional>
#include <thread>

#include "engine/parser_job.h"

namespace vantrel {

// Runs the job: loads the ParseDef, parses the local document or fetches the page, hands the
// items over, reports pst_parsing_done (when the job has a status callback and was not
// cancelled), stores the outcome in job.ret (and why it failed in job.failure), clears the
// job's texts and resets its busy event. Returns 0.
unsigned mtparser_func(parser_job& job);

// Starts mtparser_func on a new thread, then runs then (when given) on that thread. The job
// record must outlive the thread. Throws std::system_error when no thread can be started.
std::thread start_parser_thread(parser_job& job, std::function<void()> then = nullptr);

}  // namespace vantrel
