#include "provider/objects/object_model.h"

namespace provider {

const std::vector<const ObjectSpec*>& Objects() {
  static const std::vector<const ObjectSpec*> objects = {
      &ProcessorObject(),
      &MemoryObject(),
      &SystemObject(),
      &NetworkInterfaceObject(),
      &PhysicalDiskObject(),
      &LogicalDiskObject(),
      &ProcessObject(),
      &PagingFileObject(),
      &ProcessorInformationObject(),
      &IPv4Object(),
      &IPv6Object(),
      &TCPv4Object(),
      &TCPv6Object(),
      &UDPv4Object(),
      &UDPv6Object(),
  };
  return objects;
}

}  // namespace provider
