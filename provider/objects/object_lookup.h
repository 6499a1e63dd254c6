#pragma once

#include <optional>
#include <string>
#include <vector>

#include "provider/objects/object_model.h"

namespace provider {

// The object whose display name is name (ASCII case ignored), or null.
const ObjectSpec* FindObject(const std::string& name);

// The position of the counter whose display name is name, or nullopt.
std::optional<size_t> FindCounter(const ObjectSpec& object, const std::string& name);

// The sample instance that a path names: for an object without instances the
// one instance when no name is given; otherwise occurrence number index of
// name (ASCII case ignored). Null when there is none.
const InstanceSample* FindInstance(const ObjectSpec& object, const ObjectSample& sample,
                                   bool hasInstance, const std::string& name, uint32_t index);

// The display names of the object's counters, in its order.
std::vector<std::string> CounterNames(const ObjectSpec& object);

}  // namespace provider
