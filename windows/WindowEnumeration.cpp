#include "windows/WindowEnumeration.h"

#include "capture/CaptureSettings.h"
#include "windows/WindowDetails.h"
#include "windows/WindowListHolder.h"

namespace {
constexpr int kDeepChildLevels = 20;
constexpr int kShallowChildLevels = 3;
}  // namespace

DWORD RetrieveWindowDetails::Run() {
    const int levels = CaptureSettings::Get().DeepChildEnumeration ? kDeepChildLevels : kShallowChildLevels;
    for (auto& record : WindowDetails::ListOnScreenWindows()) {
        // The overlay works with the rectangle just read for the rest of the capture.
        record->Freeze();
        record->GetChildren(levels);
        holder_->Append(std::move(record));
    }
    return 0;
}
