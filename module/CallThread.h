#pragma once
// The thread object one exported call needs, for hosts that bring none.
#include <QelFramework/App.h>

namespace qel {

// The modal loops and the colour picker hand each message to the calling thread's object first. A
// host not built on the framework has none on its thread: for the scope, the library registers one of
// its own there, and takes it off again at the end. A thread that has an object keeps it untouched.
class CallThread {
public:
    CallThread() noexcept;
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

private:
    class Object : public CWinThread {
    public:
        // Takes the calling thread only when it has no object yet; the base destructor lets it go.
        void Claim() noexcept { RegisterForCurrentThread(); }
    };
    Object object_;
};

}  // namespace qel
