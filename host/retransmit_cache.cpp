#include "host/retransmit_cache.h"

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
  const auto found = byKey_.find(key);
  if (found == byKey_.end()) return std::nullopt;
  return found->second->answer;
}

void RetransmitCache::Store(std::string key, CachedAnswer answer, Clock::time_point now) {
  DropExpired(now);
  // A key kept already keeps its answer: the agent is called once per request.
  if (byKey_.contains(key)) return;
  const size_t bytes = SizeOf(key, answer);
  if (bytes > kMaxBytes) return;
  while (!entries_.empty() && (entries_.size() >= kMaxEntries || bytes_ + bytes > kMaxBytes)) {
    DropOldest();
  }
  entries_.push_back({std::move(key), std::move(answer), now, bytes});
  bytes_ += bytes;
  byKey_.emplace(entries_.back().key, &entries_.back());
}

void RetransmitCache::DropExpired(Clock::time_point now) {
  while (!entries_.empty() && now - entries_.front().stored >= kLifetime) DropOldest();
}

void RetransmitCache::DropOldest() {
  byKey_.erase(entries_.front().key);
  bytes_ -= entries_.front().bytes;
  entries_.pop_front();
}

}  // namespace exthost
