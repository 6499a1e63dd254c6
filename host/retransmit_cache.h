#pragma once

// Answers given in the last seconds, so that a manager's retransmission of a request (same
// source, same request-id, same message) gets the same answer without running the
// agent's commands again. Only answers that took time to make are kept (a command ran, a
// counter was sampled): a cheap one is made again for less than keeping it costs, and a
// flood of cheap requests must not push the expensive answers out. Bounded in entries and
// bytes; the oldest go first.

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
  static constexpr std::chrono::milliseconds kLifetime{5000};
  // Requests an AgentX master forwards carry none of the manager's identity, and a master
  // forwards a retransmission (and retries on its own) under new ids: they are matched by
  // what they ask, so only for a moment, lest different requests share an answer.
  static constexpr std::chrono::milliseconds kForwardedLifetime{2000};
  // An answer made faster than this is not kept.
  static constexpr std::chrono::milliseconds kWorthKeeping{2};
  // The agent answers one call at a time, so no more answers than this can each have
  // taken kWorthKeeping within a lifetime: an answer kept leaves by age (or the bytes).
  static constexpr size_t kMaxEntries = kLifetime / kWorthKeeping;
  static constexpr size_t kMaxBytes = size_t{4} * 1024 * 1024;

  explicit RetransmitCache(std::chrono::milliseconds lifetime = kLifetime) : lifetime_(lifetime) {}
  RetransmitCache(const RetransmitCache&) = delete;  // its index points into its entries
  RetransmitCache& operator=(const RetransmitCache&) = delete;

  static bool WorthKeeping(Clock::duration took) { return took > kWorthKeeping; }
  // Nothing kept: no answer can be found, whatever the key.
  bool Empty() const { return entries_.empty(); }

  // `key` identifies one call of the agent: source, request-id, message and the bindings
  // handed over in this pass.
  std::optional<CachedAnswer> Find(const std::string& key, Clock::time_point now);
  // Keeps the answer made at `made`, when making it took more than kWorthKeeping.
  void Store(std::string key, CachedAnswer answer, Clock::time_point made, Clock::duration took);
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

  std::chrono::milliseconds lifetime_;
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
