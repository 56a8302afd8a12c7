#include "capture/CaptureDetails.h"

#include <algorithm>

CaptureDetails::CaptureDetails() { ::GetLocalTime(&time_); }

void CaptureDetails::SetValueList(const std::list<int>& values) {
    // Copy first: the argument may be this very list.
    std::list<int> copy(values);
    values_.swap(copy);
}

void CaptureDetails::SetProperty(std::wstring key, std::wstring value) {
    properties_[std::move(key)] = std::move(value);
}

int CaptureDetails::AddValue(int value) {
    if (!HasValue(value)) values_.push_back(value);
    return value;
}

bool CaptureDetails::HasValue(int value) const {
    return std::find(values_.begin(), values_.end(), value) != values_.end();
}
