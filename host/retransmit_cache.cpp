#include "host/retransmit_cache.h"

#include <algorithm>

namespace exthost {
namespace {

size_t SizeOf(const std::string& key, const CachedAnswer& answer) {
  size_t bytes = key.size() + sizeof(CachedAnswer);
  for (const Binding& binding : answer.bindings) {
    bytes += sizeof(Binding) + binding.name.size() * sizeof(uint32_t) + binding.value.bytes.size() +
             binding.value.oid.size() * sizeof(uint32_t);
  }
  return bytes;
}

}  // namespace

std::optional<CachedAnswer> RetransmitCache::Find(const std::string& key, Clock::time_point now) {
  DropExpired(now);
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& entry) { return entry.key == key; });
  if (found == entries_.end()) return std::nullopt;
  return found->answer;
}

void RetransmitCache::Store(std::string key, CachedAnswer answer, Clock::time_point now) {
  DropExpired(now);
  const size_t bytes = SizeOf(key, answer);
  if (bytes > kMaxBytes) return;
  while (!entries_.empty() && (entries_.size() >= kMaxEntries || bytes_ + bytes > kMaxBytes)) {
    DropOldest();
  }
  entries_.push_back({std::move(key), std::move(answer), now, bytes});
  bytes_ += bytes;
}

void RetransmitCache::DropExpired(Clock::time_point now) {
  while (!entries_.empty() && now - entries_.front().stored >= kLifetime) DropOldest();
}

void RetransmitCache::DropOldest() {
  bytes_ -= entries_.front().bytes;
  entries_.pop_front();
}

}  // namespace exthost
