#include "framework/Controls.h"

#include <vector>

namespace {
BOOL CreateControl(CWnd& control, LPCWSTR className, LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent,
                   UINT id) {
    return control.CreateEx(0, className, caption, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}
}  // namespace

BOOL CButton::Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, L"BUTTON", caption, style, rect, parent, id);
}

const MessageMap* CButton::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnReflected<WM_DRAWITEM, CButton, &CButton::OnReflectedDrawItem>(),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

LRESULT CButton::OnReflectedDrawItem(WPARAM, LPARAM lParam) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, L"COMBOBOX", nullptr, style, rect, parent, id);
}

std::wstring CComboBox::GetLBText(int index) {
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR) return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

const MessageMap* CComboBox::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnReflected<WM_DRAWITEM, CComboBox, &CComboBox::OnReflectedDrawItem>(),
        OnReflected<WM_MEASUREITEM, CComboBox, &CComboBox::OnReflectedMeasureItem>(),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

LRESULT CComboBox::OnReflectedDrawItem(WPARAM, LPARAM lParam) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

LRESULT CComboBox::OnReflectedMeasureItem(WPARAM, LPARAM lParam) {
    MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
}

BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, L"SCROLLBAR", nullptr, style, rect, parent, id);
}
