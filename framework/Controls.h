#pragma once
// Standard controls as window objects. Create() adds WS_CHILD. Owner-drawn controls draw
// themselves: WM_DRAWITEM and WM_MEASUREITEM that the parent receives are reflected to the
// control's DrawItem and MeasureItem.
#include <string>

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    BOOL Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    virtual void DrawItem(DRAWITEMSTRUCT* /*item*/) {}

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnReflectedDrawItem(WPARAM wParam, LPARAM lParam);
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    virtual void DrawItem(DRAWITEMSTRUCT* /*item*/) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT* /*item*/) {}

    int AddString(LPCWSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int SetItemData(int index, DWORD_PTR data) { return static_cast<int>(SendMessage(CB_SETITEMDATA, index, data)); }
    DWORD_PTR GetItemData(int index) { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, index)); }
    int GetCurSel() { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    int GetCount() { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    // The item's text, or an empty string for an index outside the list.
    std::wstring GetLBText(int index);

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnReflectedDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnReflectedMeasureItem(WPARAM wParam, LPARAM lParam);
};

class CScrollBar : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
    void GetScrollRange(int* minPos, int* maxPos) const { ::GetScrollRange(m_hWnd, SB_CTL, minPos, maxPos); }
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE) {
        ::SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw);
    }
    BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH) { return ::EnableScrollBar(m_hWnd, SB_CTL, arrows); }
};
