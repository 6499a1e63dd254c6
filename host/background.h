#pragma once

// Going into the background the way a service does, without losing start-up errors: the
// parent stays until the child has started (and exits 0) or failed (and exits with the
// child's status, its message already on standard error).

namespace exthost {

class Background {
 public:
  // Returns in the child only.
  static Background Detach();
  Background(Background&& other) noexcept;
  ~Background();

  // Tells the waiting parent that the service runs, and lets go of the terminal.
  void Ready(bool keepStandardError);

 private:
  explicit Background(int notify) : notify_(notify) {}
  int notify_;
};

// Opens /dev/null on any of descriptors 0 to 2 that is closed, so that no descriptor the
// service opens later (the agent's trap event) can be mistaken for one of them.
void EnsureStandardDescriptors();

}  // namespace exthost
