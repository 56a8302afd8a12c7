#include "module/CallThread.h"

namespace qel {

CallThread::CallThread() noexcept { object_.Claim(); }

}  // namespace qel
