#pragma once

#include "provider/pdh_types.h"

// The PDH calls that need no query: names, paths and enumeration.
namespace provider {

PdhStatus LookupPerfNameByIndex(const char* machineName, uint32_t index, char* nameBuffer,
                                uint32_t* nameBufferSize);
PdhStatus MakeCounterPath(const PdhCounterPathElements* elements, char* fullPathBuffer,
                          uint32_t* bufferSize, uint32_t flags);
PdhStatus EnumObjects(const char* dataSource, const char* machineName, char* objectList,
                      uint32_t* bufferSize);
PdhStatus EnumObjectItems(const char* dataSource, const char* machineName, const char* objectName,
                          char* counterList, uint32_t* counterListSize, char* instanceList,
                          uint32_t* instanceListSize);
// Expands an instance of "*" into every instance of the object, the second and later
// of one name as name#1, name#2, ...; any other path stands for itself when it names
// an object and a counter here.
PdhStatus ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                             char* expandedPathList, uint32_t* pathListLength);

}  // namespace provider
