// The dispatcher: launches one worker per frame, bounded, and waits for them with a time-out.
#pragma once

#include <quarn/display/Dispatch.h>

#include <cstdint>
#include <memory>

namespace quarn::dispatch {

/// Runs the request's workers; ids is the identity list the workers are entered in (count
/// entries). Returns 1, or 0 when the lists could not be allocated.
int Run(const Fct_Dispatch_Request& request, const std::shared_ptr<uint32_t[]>& ids, int count);

/// Milliseconds a dispatch waits for a worker unit or a worker: the request's time-out, or
/// "$COMPUTER_TIMEOUT" x 1.25 s.
int64_t Timeout_Ms(const Fct_Dispatch_Request& request);

}  // namespace quarn::dispatch
