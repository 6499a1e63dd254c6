#pragma once

// SIGTERM and SIGINT end the service loop. The signal wakes net-snmp's select through a
// pipe, so that one arriving just before the loop blocks is not lost.

namespace exthost {

class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  bool Received() const;
  void Drain();

 private:
  int pipe_[2] = {-1, -1};
};

}  // namespace exthost
