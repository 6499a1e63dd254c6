#include "host/retransmit_cache.h"

#include <bit>
#include <cstdint>
#include <cstring>

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

void RetransmitCache::Store(std::string key, CachedAnswer answer, Clock::time_point made,
                            Clock::duration took) {
  if (!WorthKeeping(took)) return;
  DropExpired(made);
  const size_t bytes = SizeOf(key, answer);
  if (bytes > kMaxBytes) return;
  while (!entries_.empty() && (entries_.size() >= kMaxEntries || bytes_ + bytes > kMaxBytes)) {
    DropOldest();
  }
  entries_.push_back({std::move(key), std::move(answer), made, bytes});
  // A key kept already keeps its answer: the agent is called once per request.
  if (!byKey_.try_emplace(entries_.back().key, &entries_.back()).second) {
    entries_.pop_back();
    return;
  }
  bytes_ += bytes;
}

size_t RetransmitCache::KeyHash::operator()(std::string_view key) const {
  auto mix = [](uint64_t hash, uint64_t word) {
    return (std::rotl(hash, 29) ^ word) * 0x9E3779B97F4A7C15ull;
  };
  uint64_t hash = key.size();
  uint64_t word = 0;
  size_t at = 0;
  for (; at + sizeof word <= key.size(); at += sizeof word) {
    std::memcpy(&word, key.data() + at, sizeof word);
    hash = mix(hash, word);
  }
  word = 0;
  for (size_t shift = 0; at < key.size(); ++at, shift += 8) {
    word |= uint64_t{static_cast<unsigned char>(key[at])} << shift;
  }
  hash = mix(hash, word);
  return static_cast<size_t>(hash ^ (hash >> 32));
}

void RetransmitCache::DropExpired(Clock::time_point now) {
  while (!entries_.empty() && now - entries_.front().stored >= lifetime_) DropOldest();
}

void RetransmitCache::DropOldest() {
  byKey_.erase(entries_.front().key);
  bytes_ -= entries_.front().bytes;
  entries_.pop_front();
}

}  // namespace exthost
