#pragma once

// Answers given in the last seconds, so that a manager's retransmission of a request (same
// source, same request-id, same message) gets the same answer without running the
// agent's commands again. Bounded in entries and bytes; the oldest go first.

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/binding.h"
#include "host/extension_agent.h"

namespace exthost {

struct CachedAnswer {
  QueryResult result;
  std::vector<Binding> bindings;
  bool tooBig = false;  // the answer could not be sent; its values are not kept
};

class RetransmitCache {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kLifetime{5};
  static constexpr size_t kMaxEntries = 256;
  static constexpr size_t kMaxBytes = size_t{4} * 1024 * 1024;

  RetransmitCache() = default;
  RetransmitCache(const RetransmitCache&) = delete;  // its index points into its entries
  RetransmitCache& operator=(const RetransmitCache&) = delete;

  // `key` identifies one call of the agent: source, request-id, message and the bindings
  // handed over in this pass.
  std::optional<CachedAnswer> Find(const std::string& key, Clock::time_point now);
  void Store(std::string key, CachedAnswer answer, Clock::time_point now);
  size_t Bytes() const { return bytes_; }

 private:
  struct Entry {
    std::string key;
    CachedAnswer answer;
    Clock::time_point stored;
    size_t bytes;
  };
  void DropExpired(Clock::time_point now);
  void DropOldest();

  std::deque<Entry> entries_;  // oldest first
  // Keys are a few hundred bytes made by the host: hashed a word at a time.
  struct KeyHash {
    size_t operator()(std::string_view key) const;
  };
  // The entries by key, so that a lookup does not compare every key kept. A deque keeps
  // its elements in place when it grows at the back or shrinks at the front.
  std::unordered_map<std::string_view, const Entry*, KeyHash> byKey_;
  size_t bytes_ = 0;
};

}  // namespace exthost
