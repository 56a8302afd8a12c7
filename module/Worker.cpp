#include "module/Worker.h"

namespace qel {

void Worker::Start(std::function<void()> work) {
    Join();
    work_ = std::move(work);
    thread_.reset(::CreateThread(nullptr, 0, Entry, this, 0, nullptr));
    if (!thread_) Run();
}

void Worker::Join() {
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI Worker::Entry(void* self) {
    static_cast<Worker*>(self)->Run();
    return 0;
}

void Worker::Run() noexcept {
    try {
        if (work_) work_();
    } catch (...) {
    }
}

}  // namespace qel
