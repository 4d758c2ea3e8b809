// What the tool's Windows files share: COM for the decoders (the thread's initialisation and
// interface references), the texts of error codes, and UTF-8 to UTF-16 and back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

// COM for the life of a decoder call, on any thread, however often: a thread that has COM
// already (in either apartment) keeps it as it was.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

    // RPC_E_CHANGED_MODE: the thread is in a single-threaded apartment, where COM works too.
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

// One reference to a COM interface, released with this.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef()
    {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put()
    {
        if (p_) p_->Release();
        p_ = nullptr;
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// "name 0x8898...", or the system's text for a code it knows, or the code alone.
std::string hresult_text(HRESULT hr);

// The system's text for an error code (GetLastError's, or an HRESULT), without its final line
// end and full stop; empty when it has none.
std::string system_text(DWORD code);

std::string utf8_of(const wchar_t* wide, std::size_t length);
std::wstring wide_of(std::string_view utf8);
