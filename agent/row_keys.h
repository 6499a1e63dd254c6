#pragma once

#include <string>
#include <string_view>

#include "agent/profile_snapshot.h"
#include "perf/sampler.h"

namespace quillon {

// The three keys of a counters-file row, each trimmed of blanks and control bytes.
struct RowKeys {
  std::string counter;
  std::string flag;
  std::string type;

  bool IsCommand() const { return type == "exec"; }
  bool IsConstant() const { return type == "string"; }
  // A row that reads a performance counter.
  bool IsCounter() const { return !counter.empty() && !IsCommand() && !IsConstant(); }
  // A counter row whose path names every instance ("object\counter\*"): it serves a
  // table of the instances instead of one value.
  bool IsTable() const;
  // Two samples, a collect delay apart, unless the flag says "norefresh".
  bool Twice() const { return flag.find("norefresh") == std::string::npos; }
  bool Raw() const { return flag.find("raw") != std::string::npos; }
  perf::SampleKind Kind() const { return perf::KindOf(Raw(), Twice()); }
};

RowKeys ReadRowKeys(const ProfileSnapshot& rows, std::string_view section);

}  // namespace quillon
