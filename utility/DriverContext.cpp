#include "utility/DriverContext.h"

#include "utility/WinRegistry.h"

namespace utility {

DriverContext& Driver() {
    static DriverContext context;
    return context;
}

Registry& SystemRegistry() {
    static WinRegistry registry;
    return registry;
}

}  // namespace utility
