// TAV_GLState in the browser. LIMITATIONS: not available. The fixed-function layer answers
// only part of the queries a snapshot needs (WebGL 2 has no matrix mode, shade model or
// polygon mode to ask for), and nothing in the browser rewinds the demo, so both calls only
// say so, once, in the log.
#include "core/TAV_GLState.h"

#include "sys/TAV_SYS_Log.h"

namespace {

void sayNotAvailable()
{
    static bool said = false;
    if (!said)
        TAV_SYS_Log::getInstance()->log("/*OpenGL state snapshots: not available on target platform");
    said = true;
}

}  // namespace

void TAV_GLState::save()
{
    sayNotAvailable();
}

void TAV_GLState::restore() const
{
    sayNotAvailable();
}
