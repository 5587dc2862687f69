#pragma once
// What the utility knows of the camera driver for its whole life: the driver family and
// the access mask of its keys, fixed when the poll dialog initialises, and the registry
// through which every driver value is read afresh. The poll dialog owns it and hands it to
// the camera panel and the camera actions.
#include <cstdint>

#include "utility/DriverRegistry.h"
#include "utility/RegistryAccess.h"

namespace utility {

struct DriverContext {
    Registry& registry;
    DriverKind kind = DriverKind::Standard;  // what the program holds until detection
    uint32_t access = kKeyRead;
};

}  // namespace utility
