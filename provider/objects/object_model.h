#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "provider/sources/source_files.h"

namespace provider {

// One raw sample of one counter as PDH_RAW_COUNTER carries it: for rate and
// timer types the count and the time base, for fractions numerator and
// denominator, for elapsed time the start and the current time.
struct RawPair {
  int64_t first = 0;
  int64_t second = 0;
  // False when the machine lacks the source of the value: the counter has no
  // value in this collection rather than a 0 that reads as one.
  bool present = true;
};

// The pair of a value whose source is missing.
constexpr RawPair kMissing{0, 0, false};

// One instance of an object in a collection: its name (duplicates allowed, in
// the order the machine has them) and one pair per counter of the object.
struct InstanceSample {
  std::string name;
  std::vector<RawPair> values;
};

// What a collector reads for one collection. Objects without instances have one
// entry with an empty name.
struct ObjectSample {
  std::vector<InstanceSample> instances;
};

// Where one collection reads from and what it needs.
struct CollectContext {
  std::string procRoot;
  std::string sysRoot;
  // The collection's time base: seconds since boot in 100 ns units.
  int64_t perfTime = 0;
  // wanted[i]: counter i of the object is in the query. Collectors skip the
  // files that no wanted counter needs.
  std::vector<bool> wanted;
  // The files of the collection, shared by the objects it reads; when null the
  // context reads into ownFiles.
  SourceFiles* files = nullptr;
  mutable SourceFiles ownFiles{};

  bool Wants(std::initializer_list<size_t> counters) const {
    for (size_t counter : counters) {
      if (counter < wanted.size() && wanted[counter]) return true;
    }
    return false;
  }
  bool WantsAny() const { return std::find(wanted.begin(), wanted.end(), true) != wanted.end(); }

  // A file under the proc or sys root, read once per collection; null when it
  // cannot be read. Valid until the collection ends.
  const std::string* Proc(std::string_view relative) const {
    return Files().Read(procRoot, relative);
  }
  const std::string* Sys(std::string_view relative) const {
    return Files().Read(sysRoot, relative);
  }
  SourceFiles& Files() const { return files ? *files : ownFiles; }
};

// A counter of an object: the index of its name in the name tables, its Windows
// counter type, its default scale and its English name (Perflib\009's at that index).
struct CounterSpec {
  uint32_t nameIndex = 0;
  uint32_t type = 0;
  int32_t defaultScale = 0;
  const char* english = "";
};

// One entry of an object's counter table: the position of the counter (its value
// in the object's enum of counters) and the counter.
struct NamedCounter {
  size_t counter;
  CounterSpec definition;
};

// The counters of an object in the order of its enum, from entries that each name
// their position: a table whose entries miss a position, name one twice or name one
// beyond Count does not compile.
template <size_t Count>
consteval std::array<CounterSpec, Count> CounterTable(const NamedCounter (&entries)[Count]) {
  std::array<CounterSpec, Count> table{};
  std::array<bool, Count> placed{};
  for (const NamedCounter& entry : entries) {
    if (entry.counter >= Count || placed[entry.counter]) {
      throw "each counter of the enum needs exactly one entry";
    }
    placed[entry.counter] = true;
    table[entry.counter] = entry.definition;
  }
  return table;
}

// A performance object: its name, its counters in display order (the object's
// counter table), whether it has instances, and the function that reads one
// sample of it.
struct ObjectSpec {
  uint32_t nameIndex;
  bool hasInstances;
  std::span<const CounterSpec> counters;
  ObjectSample (*collect)(const CollectContext& context);
};

// The objects of the machine, in enumeration order.
const std::vector<const ObjectSpec*>& Objects();

const ObjectSpec& ProcessorObject();
const ObjectSpec& MemoryObject();
const ObjectSpec& SystemObject();
const ObjectSpec& NetworkInterfaceObject();
const ObjectSpec& PhysicalDiskObject();
const ObjectSpec& LogicalDiskObject();
const ObjectSpec& ProcessObject();
const ObjectSpec& PagingFileObject();
const ObjectSpec& ProcessorInformationObject();
const ObjectSpec& IPv4Object();
const ObjectSpec& IPv6Object();
const ObjectSpec& TCPv4Object();
const ObjectSpec& TCPv6Object();
const ObjectSpec& UDPv4Object();
const ObjectSpec& UDPv6Object();

// The "_Total" instance that summarises the others.
constexpr const char* kTotalInstance = "_Total";

}  // namespace provider
