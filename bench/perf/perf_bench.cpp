// What one counter read costs the agent: init, translation, one formatted read
// without the second collection, close. Runs on the real counter provider; the
// default path names an instantaneous counter, so that one sample gives a value.
// Times are the thread's CPU time, which other work on the machine does not
// inflate, beside the elapsed time.
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "perf/perf.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

constexpr int kRounds = 1000;

struct Cost {
  double microseconds = 0;
  double cpuMicroseconds = 0;
  double allocations = 0;
};

double ThreadCpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

void Measure(Cost& cost, const std::function<void()>& step) {
  const long before = allocations.load();
  const double cpuStart = ThreadCpuMicroseconds();
  const auto start = std::chrono::steady_clock::now();
  step();
  const auto end = std::chrono::steady_clock::now();
  cost.cpuMicroseconds += ThreadCpuMicroseconds() - cpuStart;
  cost.microseconds += std::chrono::duration<double, std::micro>(end - start).count();
  cost.allocations += static_cast<double>(allocations.load() - before);
}

void Print(const char* step, const Cost& cost) {
  std::printf("%-34s %10.1f us CPU %10.1f us elapsed %10.1f allocations\n", step,
              cost.cpuMicroseconds / kRounds, cost.microseconds / kRounds,
              cost.allocations / kRounds);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "Memory\\Available Bytes";
  Cost init, translate, read, close;
  std::string localPath;
  int nulls = 0;
  for (int round = 0; round < kRounds; ++round) {
    Measure(init, [] { perf::init(); });
    Measure(translate, [&] { localPath = perf::EnglishPath2LocalPDHPath(path); });
    Measure(read, [&] {
      nulls += lib::IsNull(perf::GetFormattedValue(localPath, false, 0, platform::kPdhFmtDouble));
    });
    Measure(close, [] { perf::close(); });
  }
  std::printf("%s -> %s, %d rounds, %d null reads\n", path.c_str(), localPath.c_str(), kRounds,
              nulls);
  Print("init", init);
  Print("EnglishPath2LocalPDHPath", translate);
  Print("GetFormattedValue (twice=false)", read);
  Print("close", close);
  Cost total{init.microseconds + translate.microseconds + read.microseconds + close.microseconds,
             init.cpuMicroseconds + translate.cpuMicroseconds + read.cpuMicroseconds +
                 close.cpuMicroseconds,
             init.allocations + translate.allocations + read.allocations + close.allocations};
  Print("session", total);
  return 0;
}
