// Visibility of the solver library's public symbols. The library is built with
// -fvisibility=hidden; only declarations marked VARNEL_API are exported.
#pragma once

#if defined(VARNEL_BUILDING_SOLVER)
#define VARNEL_API __attribute__((visibility("default")))
#else
#define VARNEL_API
#endif
