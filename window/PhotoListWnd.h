#pragma once
// CPhotoListWnd: the thumbnail strip as the keyboard and a screen reader know it. The strip
// is painted by the camera window itself; this invisible child lies over it, takes the
// keyboard focus when the strip has it, lets every mouse message through to the camera
// window beneath (HTTRANSPARENT), and answers WM_GETOBJECT with the photos as an accessible
// list: each item named by its file's name, selected and focused as in the strip.
#include <memory>
#include <string>

#include "framework/Accessible.h"
#include "framework/Wnd.h"

// What the list reads of the camera window's photos, on the user-interface thread.
class PhotoList {
public:
    virtual int PhotoCount() const = 0;
    virtual std::wstring PhotoName(int index) const = 0;
    virtual bool PhotoSelected(int index) const = 0;
    // The photo the keys act on; -1 for none.
    virtual int FocusedPhoto() const = 0;
    // Its thumbnail's rectangle in screen coordinates; false when it is scrolled away.
    virtual bool PhotoOnScreen(int index, RECT& screen) const = 0;

protected:
    ~PhotoList() = default;
};

class CPhotoListWnd : public CWnd {
public:
    // `photos` outlives the window (it is the camera window, its parent).
    explicit CPhotoListWnd(const PhotoList& photos) : m_photos(photos) {}
    // A screen reader that still holds the list is told it is gone.
    ~CPhotoListWnd() override;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id);

    // Tells a screen reader of a change: the focused photo (when this window has the focus),
    // the selection, the list itself (a photo stored or deleted).
    void AnnounceFocus() const;
    void AnnounceSelection() const;
    void AnnounceListChanged() const;

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

    const PhotoList& m_photos;
    ComPtr<AccessibleObject> m_accessible;  // made at the first question
};
