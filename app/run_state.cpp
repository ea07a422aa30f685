#include "app/run_state.h"

namespace vantrel {

run_state::mode run_state::current() const {
  if (jobs_.stop_pending()) return mode::stopping;
  if (queue_ == queue_kind::scheduled) return mode::refresh;
  if (queue_ == queue_kind::user) return mode::queue_run;
  if (jobs_.job_running()) return mode::single_job;
  return mode::idle;
}

const char* run_state::name(mode m) {
  switch (m) {
    case mode::idle:
      return "idle";
    case mode::single_job:
      return "single job";
    case mode::queue_run:
      return "queue run";
    case mode::refresh:
      return "refresh";
    case mode::stopping:
      break;
  }
  return "stopping";
}

}  // namespace vantrel
