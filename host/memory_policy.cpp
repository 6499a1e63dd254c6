#include "host/memory_policy.h"

#include <malloc.h>

namespace exthost {
namespace {

constexpr int kLargeBufferBytes = 256 * 1024;

}  // namespace

void ReturnLargeBuffersToTheSystem() { mallopt(M_MMAP_THRESHOLD, kLargeBufferBytes); }

}  // namespace exthost
