#include "DebugOutputCapture.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {
std::atomic<DebugOutputCapture*> g_capture{nullptr};
}  // namespace

DebugOutputCapture::DebugOutputCapture(std::vector<std::string>& log) : m_log(log), m_thread(GetCurrentThreadId()) {
    DebugOutputCapture* none = nullptr;
    if (!g_capture.compare_exchange_strong(none, this)) ADD_FAILURE() << "a debug output capture is active already";
    m_handler = AddVectoredExceptionHandler(1, &DebugOutputCapture::OnException);
}

DebugOutputCapture::~DebugOutputCapture() {
    if (m_handler) RemoveVectoredExceptionHandler(m_handler);
    DebugOutputCapture* self = this;
    g_capture.compare_exchange_strong(self, nullptr);
}

LONG CALLBACK DebugOutputCapture::OnException(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    DebugOutputCapture* capture = g_capture.load();
    if (!capture || capture->m_thread != GetCurrentThreadId() || record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    // Parameters: length with the terminating null, then the text.
    const auto length = static_cast<size_t>(record.ExceptionInformation[0]);
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C) {
        const auto* text = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
        std::string narrow;
        for (size_t i = 0; text && i + 1 < length; ++i) narrow += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
        capture->m_log.push_back("debug." + narrow);
        capture->m_sawWide = true;
    } else if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && !capture->m_sawWide) {
        const auto* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
        if (text && length > 0) capture->m_log.push_back("debug." + std::string(text, length - 1));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
