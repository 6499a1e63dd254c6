#include "host/encoded_size.h"

namespace exthost {
namespace {

size_t LengthFieldSize(size_t length) {
  if (length < 0x80) return 1;
  size_t bytes = 0;
  for (; length != 0; length >>= 8) ++bytes;
  return 1 + bytes;
}

size_t SubIdentifierSize(uint64_t id) {
  size_t bytes = 1;
  for (id >>= 7; id != 0; id >>= 7) ++bytes;
  return bytes;
}

size_t OidContentSize(const Oid& oid) {
  if (oid.size() < 2) return 1;
  size_t bytes = SubIdentifierSize(uint64_t{oid[0]} * 40 + oid[1]);
  for (size_t i = 2; i < oid.size(); ++i) bytes += SubIdentifierSize(oid[i]);
  return bytes;
}

// Two's complement in as few bytes as keep the sign.
size_t SignedContentSize(int64_t number) {
  size_t bytes = 1;
  while (bytes < 8) {
    const int64_t limit = int64_t{1} << (8 * bytes - 1);
    if (number >= -limit && number < limit) break;
    ++bytes;
  }
  return bytes;
}

// An unsigned number gets a leading zero byte when its top bit is set.
size_t UnsignedContentSize(uint64_t number) {
  size_t bytes = 1;
  for (uint64_t rest = number >> 8; rest != 0; rest >>= 8) ++bytes;
  const bool topBitSet = ((number >> (8 * bytes - 1)) & 1) != 0;
  return bytes + (topBitSet ? 1 : 0);
}

size_t ValueContentSize(const Value& value) {
  switch (value.syntax) {
    case Syntax::Integer:
      return SignedContentSize(static_cast<int32_t>(value.number));
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks:
    case Syntax::UInteger32:
      return UnsignedContentSize(static_cast<uint32_t>(value.number));
    case Syntax::Counter64:
      return UnsignedContentSize(static_cast<uint64_t>(value.number));
    case Syntax::OctetString:
    case Syntax::Bits:
    case Syntax::Opaque:
    case Syntax::IpAddress:
      return value.bytes.size();
    case Syntax::ObjectId:
      return OidContentSize(value.oid);
    default:
      return 0;
  }
}

}  // namespace

size_t EncodedTlvSize(size_t contentLength) {
  return 1 + LengthFieldSize(contentLength) + contentLength;
}

size_t EncodedSize(const Oid& name, const Value& value) {
  return EncodedTlvSize(EncodedTlvSize(OidContentSize(name)) +
                        EncodedTlvSize(ValueContentSize(value)));
}

}  // namespace exthost
