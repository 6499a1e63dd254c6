#include "agent/oid.h"

#include <algorithm>
#include <optional>

#include "agent/log.h"
#include "lib/numeric.h"

namespace quillon {

namespace {

// A sub-identifier of up to nine digits, the usual form, without the general
// integer reader; nullopt for anything else.
std::optional<UINT> PlainNumber(std::string_view token) {
  if (token.empty() || token.size() > 9) return std::nullopt;
  UINT value = 0;
  for (char digit : token) {
    if (digit < '0' || digit > '9') return std::nullopt;
    value = value * 10 + static_cast<UINT>(digit - '0');
  }
  return value;
}

// The utility library of some systems cuts the text of a long OID: a name longer than this
// is always made again from its sub-identifiers, so that it meets rows as they do there.
constexpr size_t kShortOidText = 255;

// The sub-identifiers of a text that OidText would make from them; false for any other
// text, ids then unspecified.
bool ReadCanonical(std::string_view text, OidIds& ids) {
  ids.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '.')) + 1);
  size_t start = 0;
  while (start <= text.size()) {
    const size_t dot = std::min(text.find('.', start), text.size());
    const std::string_view token = text.substr(start, dot - start);
    const std::optional<UINT> plain = PlainNumber(token);
    if (!plain || (token.size() > 1 && token.front() == '0')) return false;
    ids.push_back(*plain);
    start = dot + 1;
  }
  return true;
}

}  // namespace

std::string SectionOid(std::string_view name, OidIds& ids) {
  ids.clear();
  if (name.size() <= kShortOidText && ReadCanonical(name, ids)) return std::string(name);
  ids.clear();
  string2oid(name, ids);
  return OidText(ids);
}

void string2oid(std::string_view text, OidIds& ids) {
  ids.reserve(ids.size() + static_cast<size_t>(std::count(text.begin(), text.end(), '.')) + 1);
  std::string_view remaining = text;
  while (!remaining.empty()) {
    size_t dot = remaining.find('.');
    std::string_view token = remaining.substr(0, dot);
    ids.push_back(0);
    const std::optional<UINT> plain = PlainNumber(token);
    try {
      ids.back() = plain ? *plain : static_cast<UINT>(lib::StrToInt(token));
    } catch (const lib::EConvertError& failure) {
      Log(std::string("string2oid: ") + failure.what());
      return;
    }
    remaining.remove_prefix(dot == std::string_view::npos ? token.size() : dot + 1);
  }
}

// Made by the utility library, so that request OIDs meet section names in exactly its
// form (an empty OID reads "<null oid>").
std::string OidText(const UINT* ids, size_t count) {
  return SnmpUtilIdsToA(const_cast<UINT*>(ids), static_cast<UINT>(count));
}

std::string OidText(const AsnObjectIdentifier& oid) { return OidText(oid.ids, oid.idLength); }

std::string OidText(const OidIds& ids) { return OidText(ids.data(), ids.size()); }

bool BeginsWith(const AsnObjectIdentifier& oid, const OidIds& prefix) {
  return oid.idLength >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.ids);
}

}  // namespace quillon
