#pragma once

#include <string>

#include "agent/profile_file.h"
#include "agent/row_keys.h"
#include "perf/sampler.h"

namespace quillon {

// The value text of one row of the counters file: a counter read with its flags, a
// command's output or a constant; empty when the row has no value now. Raises
// lib::EConvertError when a "div" or "mult" item carries no integer, and
// std::runtime_error when a command row's command was cut short (its time limit, or
// killed by the service's stop). rows: the snapshot of the counters file that the
// request holds.
std::string GetPerf(const ProfileSnapshot& rows, const std::string& section);

// The value text of one instance of a table row: row is the table row with the
// instance's own counter path, localPath the instance's path as the expansion gave it.
// Read as a row naming that instance would read it.
std::string InstanceText(const RowKeys& row, const std::string& localPath);

// The instances a table row's counter path stands for now, in index order, expanded in
// a query session of its own; localPath gets the translated path. Null when the path does
// not translate or does not expand.
perf::InstanceList ExpandCounterRow(const RowKeys& row, std::string& localPath);

}  // namespace quillon
