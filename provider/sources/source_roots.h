#pragma once

#include <cstdint>
#include <string>

// Where a collection reads from, and its clock.
//
// $QUILLON_PROC_ROOT (default /proc) and $QUILLON_SYS_ROOT (default /sys) may
// each hold several directories separated by ":", one snapshot per directory.
// Collection number n (1, 2, ...) of a query reads snapshot min(n, last), so a
// two-collection read over fixtures sees two moments of the machine.
//
// A snapshot's time comes from the snapshot: the first field of its "uptime"
// file (seconds since boot) gives both the collection's time stamp and its time
// base, in 100 ns units. A root on the kernel's proc file system (the default
// /proc, or the same named explicitly) is the running machine: its time base is
// the boot-time clock and its time stamp the wall clock as a FILETIME (100 ns
// since 1601).
namespace provider {

struct SourceRoots {
  std::string proc;
  std::string sys;
  bool fromFixture = false;  // the proc root is a snapshot, not the running machine
};

// The roots for collection number n of a query (n counts from 1); number 0 (no
// collection, used by enumeration) reads the first snapshot.
SourceRoots RootsForCollection(uint32_t collection);

struct CollectionClock {
  int64_t perfTime = 0;    // seconds since boot, 100 ns units
  uint64_t timeStamp = 0;  // the sample's TimeStamp
};

CollectionClock ReadClock(const SourceRoots& roots);

}  // namespace provider
