#pragma once

#include "perf/perf.h"

namespace quillon {

// Keeps the counter module's query session, opened by a successful perf::init, from
// outliving work that ends with a failure; normal work closes it itself, so that
// close's own failures are seen.
class QuerySession {
 public:
  QuerySession() = default;
  QuerySession(const QuerySession&) = delete;
  QuerySession& operator=(const QuerySession&) = delete;
  ~QuerySession() {
    if (!open_) return;
    try {
      perf::close();
    } catch (...) {
      // Already on the way out with a failure of its own.
    }
  }
  void Close() {
    open_ = false;
    perf::close();
  }

 private:
  bool open_ = true;
};

}  // namespace quillon
