#pragma once
// What the utility knows of the camera driver for its whole life: the driver family and
// the access mask of its keys, fixed when the poll dialog initialises, and the system's
// registry through which every driver value is read afresh.
#include <cstdint>

#include "utility/DriverRegistry.h"
#include "utility/RegistryAccess.h"

namespace utility {

struct DriverContext {
    DriverKind kind = DriverKind::Standard;  // what the program holds until detection
    uint32_t access = kKeyRead;
};

DriverContext& Driver();
Registry& SystemRegistry();

}  // namespace utility
