#include "agent/table_rows.h"

#include <algorithm>
#include <memory>

#include "agent/get_perf.h"
#include "agent/instance_index.h"
#include "agent/log.h"
#include "agent/row_order.h"
#include "agent/state.h"

namespace quillon {

namespace {

// SNMP's limit on the sub-identifiers of an OID: an instance whose cell OID would be
// longer has no cell.
constexpr size_t kMaxOidLength = 128;

using Instances = std::span<const perf::CounterInstance>;

// The instances of a table row now, in index order: from the sampler when it has
// expanded the row's counter, otherwise expanded for this request.
perf::InstanceList Expand(const ProfileSnapshot& rows, const TableRow& table, Instances& usable) {
  const RowKeys& row = table.keys;
  if (Logging()) Log("GetPerf: path=" + row.counter);
  perf::InstanceList instances;
  std::string localPath;
  SampledRows* sampled = State().sampled.get();
  if (sampled) {
    sampled->Follow(rows);
    instances = sampled->Instances(row.counter, row.Kind(), localPath);
    if (instances && Logging()) Log("GetPerf: pdh_counter_path=" + localPath);
  }
  if (!instances) {
    instances = ExpandCounterRow(row, localPath);
    if (sampled && !localPath.empty()) sampled->JoinTable(row.counter, localPath, row.Kind());
  }
  usable = instances ? Instances(*instances).first(std::min(instances->size(), kMaxTableInstances))
                     : Instances();
  if (Logging()) Log("GetPerf: instances=" + std::to_string(usable.size()));
  return instances;
}

CellAnswer Answer(const TableRow& table, UINT column, const perf::CounterInstance& instance) {
  CellAnswer answer{table.oid, {}, column == kNameColumn};
  answer.name.push_back(column);
  AppendInstanceIndex(instance.name, answer.name);
  if (column == kNameColumn) {
    answer.text = instance.name;
    return answer;
  }
  RowKeys row = table.keys;
  row.counter.pop_back();  // the "*"
  row.counter += instance.name;
  answer.text = InstanceText(row, instance.localPath);
  return answer;
}

}  // namespace

void TableRows::Follow(const ProfileSnapshot& rows) {
  if (rows.Serial() == followed_) return;
  followed_ = rows.Serial();
  tables_.clear();
  std::vector<uint32_t> ids;
  for (const std::string_view section : rows.SectionNames()) {
    RowKeys keys = ReadRowKeys(rows, section);
    if (!keys.IsTable() || !ParsePlainOid(section, ids)) continue;
    tables_.push_back({std::string(section), OidIds(ids.begin(), ids.end()), std::move(keys)});
  }
}

const TableRow* TableRows::Enclosing(const ProfileSnapshot& rows, std::span<const UINT> request) {
  Follow(rows);
  const TableRow* enclosing = nullptr;
  for (const TableRow& table : tables_) {
    if (request.size() < table.oid.size() ||
        !std::equal(table.oid.begin(), table.oid.end(), request.begin())) {
      continue;
    }
    if (!enclosing || table.oid.size() > enclosing->oid.size()) enclosing = &table;
  }
  return enclosing;
}

const TableRow* TableRows::Named(const ProfileSnapshot& rows, std::string_view section) {
  Follow(rows);
  for (const TableRow& table : tables_) {
    if (table.section == section) return &table;
  }
  return nullptr;
}

CellAnswer CellAt(const ProfileSnapshot& rows, const TableRow& table, std::span<const UINT> cell) {
  if (cell.empty() || (cell[0] != kNameColumn && cell[0] != kValueColumn)) return {};
  Instances usable;
  const perf::InstanceList instances = Expand(rows, table, usable);
  const std::span<const UINT> index = cell.subspan(1);
  const auto found =
      std::lower_bound(usable.begin(), usable.end(), index,
                       [](const perf::CounterInstance& instance, std::span<const UINT> ids) {
                         return CompareWithIndex(ids, instance.name) > 0;
                       });
  if (found == usable.end() || CompareWithIndex(index, found->name) != 0) return {};
  return Answer(table, cell[0], *found);
}

std::optional<CellAnswer> CellAfter(const ProfileSnapshot& rows, const TableRow& table,
                                    std::span<const UINT> after) {
  Instances usable;
  const perf::InstanceList instances = Expand(rows, table, usable);
  for (const UINT column : {kNameColumn, kValueColumn}) {
    if (!after.empty() && after[0] > column) continue;
    auto next = usable.begin();
    if (!after.empty() && after[0] == column) {
      next = std::upper_bound(usable.begin(), usable.end(), after.subspan(1),
                              [](std::span<const UINT> ids, const perf::CounterInstance& instance) {
                                return CompareWithIndex(ids, instance.name) < 0;
                              });
    }
    // Names only grow longer from here on in index order.
    if (next != usable.end() && table.oid.size() + 2 + next->name.size() <= kMaxOidLength) {
      return Answer(table, column, *next);
    }
  }
  return std::nullopt;
}

}  // namespace quillon
