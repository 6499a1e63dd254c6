#include "agent/row_keys.h"

#include "lib/text.h"

namespace quillon {

RowKeys ReadRowKeys(const ProfileSnapshot& rows, std::string_view section) {
  const ProfileSnapshot::Row row = rows.RowNamed(section);
  return {lib::Trim(row.Value("counter")), lib::Trim(row.Value("flag")),
          lib::Trim(row.Value("type"))};
}

}  // namespace quillon
