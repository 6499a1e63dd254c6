#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "agent/oid.h"
#include "agent/profile_snapshot.h"
#include "agent/row_keys.h"

namespace quillon {

// A counters-file row whose counter names every instance ("object\counter\*"). Under its
// OID S it serves a table: S.1.<index> the instance's name, S.2.<index> its value.
struct TableRow {
  std::string section;
  OidIds oid;
  RowKeys keys;
};

constexpr UINT kNameColumn = 1;
constexpr UINT kValueColumn = 2;
constexpr size_t kMaxTableInstances = 10000;

// What one cell of a table answers.
struct CellAnswer {
  OidIds name;
  std::string text;     // empty when the cell has no value now
  bool isName = false;  // the name column travels as text, whatever the name looks like
};

// The table rows of the counters file, found once for each version of it.
class TableRows {
 public:
  // The table row whose OID the request is or lies under; null when there is none.
  const TableRow* Enclosing(const ProfileSnapshot& rows, std::span<const UINT> request);
  // The table row of a section; null when the section is no table row.
  const TableRow* Named(const ProfileSnapshot& rows, std::string_view section);

 private:
  void Follow(const ProfileSnapshot& rows);

  uint64_t followed_ = 0;
  std::vector<TableRow> tables_;
};

// GET of a cell: `cell` is what follows the table's OID. The text is empty when no
// instance has that index now.
CellAnswer CellAt(const ProfileSnapshot& rows, const TableRow& table, std::span<const UINT> cell);

// GETNEXT: the first cell after `after` (what follows the table's OID; empty for the
// table's own OID), the name column first, then the value column, each in index order.
// Nothing after the last cell.
std::optional<CellAnswer> CellAfter(const ProfileSnapshot& rows, const TableRow& table,
                                    std::span<const UINT> after);

}  // namespace quillon
