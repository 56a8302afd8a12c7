#pragma once
// Descriptive data that travels with a capture: title, time, resolution, mode and free-form properties.
#include <windows.h>
#include <list>
#include <map>
#include <string>

class ICaptureDetails {
public:
    virtual ~ICaptureDetails() = default;
    virtual std::wstring GetSecondText() const = 0;
    virtual void SetSecondText(const std::wstring& text) = 0;
    virtual std::wstring GetTitle() const = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual SYSTEMTIME GetDateTime() const = 0;
    virtual void SetDateTime(const SYSTEMTIME& time) = 0;
    virtual std::list<int> GetValueList() const = 0;
    virtual void SetValueList(const std::list<int>& values) = 0;
    virtual const std::map<std::wstring, std::wstring>& GetProperties() const = 0;
    virtual void SetProperty(std::wstring key, std::wstring value) = 0;
    virtual void ClearValueList() = 0;
    virtual void RemoveValue(int value) = 0;
    // An equal element already present is returned and nothing is added.
    virtual int AddValue(int value) = 0;
    virtual bool HasValue(int value) const = 0;
    virtual int GetCaptureMode() const = 0;
    virtual void SetCaptureMode(int mode) = 0;
    virtual float GetDpiX() const = 0;
    virtual void SetDpiX(float dpi) = 0;
    virtual float GetDpiY() const = 0;
    virtual void SetDpiY(float dpi) = 0;
    virtual int GetExtra() const = 0;
    virtual void SetExtra(int extra) = 0;
};

class CaptureDetails : public ICaptureDetails {
public:
    // Stamps the details with the local time of construction.
    CaptureDetails();

    std::wstring GetSecondText() const override { return secondText_; }
    void SetSecondText(const std::wstring& text) override { secondText_ = text; }
    std::wstring GetTitle() const override { return title_; }
    void SetTitle(const std::wstring& title) override { title_ = title; }
    SYSTEMTIME GetDateTime() const override { return time_; }
    void SetDateTime(const SYSTEMTIME& time) override { time_ = time; }
    std::list<int> GetValueList() const override { return values_; }
    void SetValueList(const std::list<int>& values) override;
    const std::map<std::wstring, std::wstring>& GetProperties() const override { return properties_; }
    void SetProperty(std::wstring key, std::wstring value) override;
    void ClearValueList() override { values_.clear(); }
    void RemoveValue(int value) override { values_.remove(value); }
    int AddValue(int value) override;
    bool HasValue(int value) const override;
    int GetCaptureMode() const override { return captureMode_; }
    void SetCaptureMode(int mode) override { captureMode_ = mode; }
    float GetDpiX() const override { return dpiX_; }
    void SetDpiX(float dpi) override { dpiX_ = dpi; }
    float GetDpiY() const override { return dpiY_; }
    void SetDpiY(float dpi) override { dpiY_ = dpi; }
    int GetExtra() const override { return extra_; }
    void SetExtra(int extra) override { extra_ = extra; }

private:
    std::wstring title_;
    std::wstring secondText_;
    SYSTEMTIME time_{};
    std::list<int> values_;
    float dpiX_ = 96.0f;
    float dpiY_ = 96.0f;
    int extra_ = 0;
    std::map<std::wstring, std::wstring> properties_;
    int captureMode_ = 0;
};
