#include "agent/row_keys.h"

#include "lib/text.h"

namespace quillon {

bool RowKeys::IsTable() const {
  if (!IsCounter()) return false;
  const size_t first = counter.find('\\');
  if (first == std::string::npos || first == 0) return false;
  const size_t second = counter.find('\\', first + 1);
  return second != std::string::npos && second > first + 1 &&
         std::string_view(counter).substr(second + 1) == "*";
}

RowKeys ReadRowKeys(const ProfileSnapshot& rows, std::string_view section) {
  const ProfileSnapshot::Row row = rows.RowNamed(section);
  return {lib::Trim(row.Value("counter")), lib::Trim(row.Value("flag")),
          lib::Trim(row.Value("type"))};
}

}  // namespace quillon
