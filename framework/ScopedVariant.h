#pragma once
// Owner of one VARIANT: initialised on construction, cleared on destruction.
#include <windows.h>
#include <oleauto.h>

class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&m_value); }
    ~ScopedVariant() { VariantClear(&m_value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* Get() { return &m_value; }
    // The string held, or null when the VARIANT holds no string.
    const wchar_t* String() const {
        return V_VT(&m_value) == VT_BSTR ? V_BSTR(&m_value) : nullptr;
    }

private:
    VARIANT m_value;
};
