#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "tests/support/Support.h"

namespace {
uint32_t DevicePixel(TBitmap& B, int X, int Y) {
    return B.DeviceBits()[static_cast<size_t>(Y) * B.DeviceWidth() + X] & 0xFFFFFF;
}
}  // namespace

// On a screen of 2 or 1.5 device pixels per pixel the surface's device copy shows lines and fills
// as blocks at their own places, and text drawn at device resolution, not doubled pixels.
TEST(DeviceCopyTest, TextIsSharpAndShapesKeepTheirPlaces) {
    for (double Scale : {2.0, 1.5}) {
        SCOPED_TRACE(Scale);
        TBitmap B;
        B.SetSize(140, 34);
        B.SetDeviceScale(Scale);
        TCanvas* C = B.Canvas();
        C->Brush()->SetColor(clWhite);
        C->FillRect(Rect(0, 0, 140, 34));
        C->Font()->SetName("굴림체");
        C->Font()->SetHeight(-12);
        C->Font()->SetColor(clBlue);
        C->TextOut(2, 2, "14:00 Smoke 회의");
        C->Pen()->SetColor(clRed);
        C->MoveTo(0, 30);
        C->LineTo(140, 30);
        C->DrawFocusRect(Rect(0, 24, 140, 29));
        C->Brush()->SetColor(clGreen);
        C->Ellipse(100, 0, 120, 20);

        // Below the text every device pixel shows its pixel.
        int Wrong = 0;
        for (int DY = B.DeviceX(22); DY < B.DeviceHeight(); ++DY)
            for (int DX = 0; DX < B.DeviceWidth(); ++DX) {
                int X = static_cast<int>(DX / Scale), Y = static_cast<int>(DY / Scale);
                while (B.DeviceX(X + 1) <= DX) ++X;
                while (B.DeviceX(Y + 1) <= DY) ++Y;
                Wrong += DevicePixel(B, DX, DY) != (B.ScanLine(Y)[X] & 0xFFFFFF);
            }
        EXPECT_EQ(Wrong, 0);

        // The text's ink covers the same area, drawn with the device's own pixels: many device
        // pixels differ from the other pixels of their block.
        int Ink1 = 0, InkDevice = 0, Split = 0;
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 98; ++X) Ink1 += B.Pixel(X, Y) != clWhite;
        for (int DY = 0; DY < B.DeviceX(20); ++DY)
            for (int DX = 0; DX < B.DeviceX(98); ++DX) InkDevice += DevicePixel(B, DX, DY) != 0xFFFFFF;
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 98; ++X) {
                uint32_t First = DevicePixel(B, B.DeviceX(X), B.DeviceX(Y));
                bool Uniform = true;
                for (int DY = B.DeviceX(Y); DY < B.DeviceX(Y + 1); ++DY)
                    for (int DX = B.DeviceX(X); DX < B.DeviceX(X + 1); ++DX)
                        Uniform &= DevicePixel(B, DX, DY) == First;
                Split += !Uniform;
            }
        EXPECT_GT(Ink1, 100);
        EXPECT_NEAR(InkDevice / (Scale * Scale), Ink1, Ink1 * 0.5);
        EXPECT_GT(Split, Ink1 / 3);
        // The pixels themselves stay as they are drawn without a device copy.
        TBitmap Plain;
        Plain.SetSize(140, 34);
        Plain.Canvas()->Brush()->SetColor(clWhite);
        Plain.Canvas()->FillRect(Rect(0, 0, 140, 34));
        Plain.Canvas()->Font()->Assign(*C->Font());
        Plain.Canvas()->TextOut(2, 2, "14:00 Smoke 회의");
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 98; ++X) ASSERT_EQ(B.Pixel(X, Y), Plain.Pixel(X, Y)) << X << "," << Y;
    }
}
