#include "platform/graphics/Graphics.h"

namespace {
// The classic Windows standard scheme, so controls look the same on every desktop.
constexpr TColor SystemColors[] = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // background (desktop)
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application work space
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3-D dark shadow
    RGB(192, 192, 192),  // 3-D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
};
}  // namespace

TColor ColorToRGB(TColor Color) {
    if (Color & 0x80000000u) {
        uint32_t Index = Color & 0xFF;
        return Index < std::size(SystemColors) ? SystemColors[Index] : clBlack;
    }
    return Color;
}

void RegisterColorIdents() {
    static bool Done = false;
    if (Done) return;
    Done = true;
    RegisterIntegerIdents("TColor", {{"clBlack", clBlack},
                                     {"clMaroon", clMaroon},
                                     {"clGreen", clGreen},
                                     {"clOlive", clOlive},
                                     {"clNavy", clNavy},
                                     {"clPurple", clPurple},
                                     {"clTeal", clTeal},
                                     {"clGray", clGray},
                                     {"clSilver", clSilver},
                                     {"clRed", clRed},
                                     {"clLime", clLime},
                                     {"clYellow", clYellow},
                                     {"clBlue", clBlue},
                                     {"clFuchsia", clFuchsia},
                                     {"clAqua", clAqua},
                                     {"clWhite", clWhite},
                                     {"clScrollBar", clScrollBar},
                                     {"clBackground", clBackground},
                                     {"clActiveCaption", clActiveCaption},
                                     {"clInactiveCaption", clInactiveCaption},
                                     {"clMenu", clMenu},
                                     {"clWindow", clWindow},
                                     {"clWindowFrame", clWindowFrame},
                                     {"clMenuText", clMenuText},
                                     {"clWindowText", clWindowText},
                                     {"clCaptionText", clCaptionText},
                                     {"clActiveBorder", clActiveBorder},
                                     {"clInactiveBorder", clInactiveBorder},
                                     {"clAppWorkSpace", clAppWorkSpace},
                                     {"clHighlight", clHighlight},
                                     {"clHighlightText", clHighlightText},
                                     {"clBtnFace", clBtnFace},
                                     {"clBtnShadow", clBtnShadow},
                                     {"clGrayText", clGrayText},
                                     {"clBtnText", clBtnText},
                                     {"clInactiveCaptionText", clInactiveCaptionText},
                                     {"clBtnHighlight", clBtnHighlight},
                                     {"cl3DDkShadow", cl3DDkShadow},
                                     {"cl3DLight", cl3DLight},
                                     {"clInfoText", clInfoText},
                                     {"clInfoBk", clInfoBk},
                                     {"clNone", clNone},
                                     {"clDefault", clDefault}});
    RegisterIntegerIdents("TFontCharset", {{"ANSI_CHARSET", ANSI_CHARSET},
                                           {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                           {"HANGEUL_CHARSET", HANGEUL_CHARSET}});
}
