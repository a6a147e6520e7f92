#pragma once
#include <cstdint>

// Window messages that reach a control's Dispatch.
constexpr uint32_t WM_SIZE = 0x0005, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_GETDLGCODE = 0x0087,
                   CM_CTL3DCHANGED = 0xB010;
constexpr int32_t DLGC_WANTARROWS = 0x01, DLGC_WANTTAB = 0x02, DLGC_WANTALLKEYS = 0x04, DLGC_WANTCHARS = 0x80;

struct TMessage {
    uint32_t Msg = 0;
    int64_t WParam = 0;
    int64_t LParam = 0;
    int64_t Result = 0;
};
// WM_SIZE carries the new client width and height.
struct TWMSize {
    uint32_t Msg = WM_SIZE;
    int SizeType = 0;
    int Width = 0;
    int Height = 0;
    int64_t Result = 0;
};
inline TWMSize AsSize(const TMessage& M) {
    return {M.Msg, static_cast<int>(M.WParam), static_cast<int>(M.LParam & 0xFFFF),
            static_cast<int>((M.LParam >> 16) & 0xFFFF), 0};
}
inline TMessage SizeMessage(int Width, int Height) {
    return {WM_SIZE, 0, (static_cast<int64_t>(Height & 0xFFFF) << 16) | (Width & 0xFFFF), 0};
}

// Virtual-key codes.
constexpr uint16_t VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                   VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
                   VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
                   VK_DELETE = 0x2E, VK_F2 = 0x71;
constexpr uint16_t VK_APPS = 0x5D, VK_F10 = 0x79;
