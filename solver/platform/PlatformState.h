// Library-side view of the platform stand-ins: whether an interruption is pending.
#pragma once

namespace varnel::platform {

bool interruptPending();

} // namespace varnel::platform
