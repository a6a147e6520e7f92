#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QTextLayout>
#include <list>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Windows.h"

namespace {
// Faces of the forms and the installed faces that stand in for them. Every list ends in a face
// with Hangul, so Korean text never falls back to empty boxes.
QStringList FamiliesFor(const AnsiString& Name) {
    const QString Korean = "NanumGothic";
    const AnsiString Lower = AnsiLowerCase(Name);
    if (Lower == "굴림체" || Lower == "굴림" || Lower == "gulimche" || Lower == "gulim")
        return {"NanumGothicCoding", Korean};
    if (Lower == "ms sans serif" || Lower == "ms shell dlg" || Lower == "돋움" || Lower == "dotum" ||
        Lower == "돋움체" || Lower == "dotumche")
        return {Korean, "DejaVu Sans"};
    if (Lower == "바탕" || Lower == "바탕체" || Lower == "batang" || Lower == "batangche")
        return {"NanumMyeongjo", Korean};
    return {QString::fromStdString(Name), Korean};
}

// Some faces draw Hangul above their nominal ascent; the text cell grows to hold the glyphs, so
// text drawn at (x, y) stays inside TextWidth x TextHeight.
void CellOf(const QFont& F, int& Ascent, int& Height) {
    QFontMetrics M(F);
    QRect Ink = M.tightBoundingRect(QString::fromUtf8("Hgjy한총뷁훑"));
    Ascent = std::max(M.ascent(), -Ink.top());
    Height = Ascent + std::max(M.descent(), Ink.bottom() + 1);
}

struct TFace {
    AnsiString Name;
    int Height;
    TFontStyles Style;
    QFont Font;
    QFontMetrics Metrics;
    int CellAscent = 0, CellHeight = 0;
    // Widths of texts measured before: the same captions and day numbers are measured at every
    // paint, and shaping them again costs more than drawing them.
    mutable std::unordered_map<AnsiString, int> Widths;
    int Width(const AnsiString& Text, const QString& Q) const {
        auto It = Widths.find(Text);
        if (It != Widths.end()) return It->second;
        if (Widths.size() >= 4096) Widths.clear();
        return Widths[Text] = Metrics.horizontalAdvance(Q);
    }
    // The glyphs of texts drawn before, placed on a baseline at y = 0: the same texts are drawn at
    // every paint, and shaping them costs more than drawing their glyphs.
    mutable std::unordered_map<AnsiString, QList<QGlyphRun>> Runs;
    const QList<QGlyphRun>& Glyphs(const AnsiString& Text, const QString& Q) const {
        auto It = Runs.find(Text);
        if (It != Runs.end()) return It->second;
        if (Runs.size() >= 4096) Runs.clear();
        QTextLayout Layout(Q, Font);
        Layout.beginLayout();
        QTextLine Line = Layout.createLine();
        Layout.endLayout();
        QList<QGlyphRun> Glyphs = Layout.glyphRuns();
        for (QGlyphRun& G : Glyphs) {
            QList<QPointF> At = G.positions();
            for (QPointF& P : At) P.ry() -= Line.ascent();
            G.setPositions(At);
        }
        return Runs[Text] = std::move(Glyphs);
    }
    TFace(const AnsiString& N, int H, TFontStyles S, const QFont& F)
        : Name(N), Height(H), Style(S), Font(F), Metrics(F) {
        CellOf(Font, CellAscent, CellHeight);
    }
};

QFont MakeFont(const AnsiString& Name, int Height, TFontStyles Style) {
    QFont F;
    F.setFamilies(FamiliesFor(Name));
    F.setBold(Style & fsBold);
    F.setItalic(Style & fsItalic);
    F.setUnderline(Style & fsUnderline);
    F.setStrikeOut(Style & fsStrikeOut);
    F.setStyleStrategy(QFont::PreferAntialias);
    F.setHintingPreference(QFont::PreferFullHinting);  // stems on whole pixels, as crisp as the classic look
    if (Height == 0) Height = -11;
    if (Height < 0) {
        F.setPixelSize(std::max(1, -Height));  // the character height without internal leading
    } else {
        // A positive height is the whole cell; scale the em so that ascent + descent fits it.
        F.setPixelSize(Height);
        int Ascent, Cell;
        CellOf(F, Ascent, Cell);
        if (Cell > 0) F.setPixelSize(std::max(1, (Height * Height + Cell / 2) / Cell));
    }
    return F;
}

// Faces are kept per font state, so measuring text costs no font lookup.
const TFace& FaceOf(const TFont& Font) {
    if (!QGuiApplication::instance()) throw EInvalidOperation("text needs the application's window system");
    static std::list<TFace> Faces;
    static const TFace* Last = nullptr;
    auto Fits = [&](const TFace& F) {
        return F.Height == Font.Height() && F.Style == Font.Style() && F.Name == Font.Name();
    };
    if (Last && Fits(*Last)) return *Last;
    for (auto& F : Faces)
        if (Fits(F)) return *(Last = &F);
    Faces.emplace_back(Font.Name(), Font.Height(), Font.Style(),
                       MakeFont(Font.Name(), Font.Height(), Font.Style()));
    return *(Last = &Faces.back());
}

// A painter stays open on a bitmap's pixels between texts: opening one costs more than drawing
// most texts. It opens again when the pixels move or change size.
struct TTextPainter {
    QImage Image;
    std::unique_ptr<QPainter> Painter;
    double Scale = 0;
    QPainter& On(uchar* Bits, int W, int H, double S) {
        if (!Painter || Image.constBits() != Bits || Image.width() != W || Image.height() != H ||
            Scale != S) {
            Painter.reset();
            Image = QImage(Bits, W, H, W * 4, QImage::Format_ARGB32_Premultiplied);
            Painter = std::make_unique<QPainter>(&Image);
            Painter->scale(S, S);
            Scale = S;
        }
        return *Painter;
    }
};
struct TTextPainters {
    TTextPainter Pixels, Device;
};

QString ToQ(const AnsiString& S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}
}  // namespace

int TCanvas::TextWidth(const AnsiString& Text) {
    if (Text.empty()) return 0;
    return FaceOf(*FFont).Width(Text, ToQ(Text));
}

int TCanvas::TextHeight(const AnsiString& Text) {
    return FaceOf(*FFont).CellHeight;
}

void TCanvas::DrawTextAt(int X, int Y, const AnsiString& Text, const TRect* Clip, bool Opaque) {
    if (!FSurface || FSurface->Width() == 0 || FSurface->Height() == 0) return;
    const TFace& Face = FaceOf(*FFont);
    const QString S = ToQ(Text);
    TRect C = ClipRect();
    if (Clip) {
        C = {std::max(C.Left, Clip->Left), std::max(C.Top, Clip->Top), std::min(C.Right, Clip->Right),
             std::min(C.Bottom, Clip->Bottom)};
    }
    if (C.Right <= C.Left || C.Bottom <= C.Top || S.isEmpty()) return;
    if (Opaque) {
        TRect Extent =
            Rect(std::max(X, C.Left), std::max(Y, C.Top), std::min(X + Face.Width(Text, S), C.Right),
                 std::min(Y + Face.CellHeight, C.Bottom));
        FillPixels(Extent, ColorToPixel(FBrush->Color()));
    }
    const TColor RGBColor = ColorToRGB(FFont->Color());
    std::shared_ptr<void>& Cache = FSurface->TextCache();
    if (!Cache) Cache = std::make_shared<TTextPainters>();
    auto& Painters = *static_cast<TTextPainters*>(Cache.get());
    auto Draw = [&](TTextPainter& Target, uchar* Bits, int W, int H, double Scale) {
        QPainter& P = Target.On(Bits, W, H, Scale);
        P.setClipRect(QRect(C.Left, C.Top, C.Right - C.Left, C.Bottom - C.Top));
        P.setFont(Face.Font);
        P.setPen(QColor(GetRValue(RGBColor), GetGValue(RGBColor), GetBValue(RGBColor)));
        for (const QGlyphRun& G : Face.Glyphs(Text, S)) P.drawGlyphRun(QPointF(X, Y + Face.CellAscent), G);
    };
    // The device copy first follows what was drawn before (an opaque background), then gets the
    // text drawn at its own resolution rather than as blocks.
    if (FSurface->HasDevice()) {
        if (FHasDamage) FSurface->SyncDevice(FDamage);
        FHasDamage = false;
        Draw(Painters.Device, reinterpret_cast<uchar*>(FSurface->DeviceBits()), FSurface->DeviceWidth(),
             FSurface->DeviceHeight(), FSurface->DeviceScale());
    }
    Draw(Painters.Pixels, reinterpret_cast<uchar*>(FSurface->Bits()), FSurface->Width(), FSurface->Height(),
         1.0);
    FSurface->AcceptDevice(C);
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
    DrawTextAt(X, Y, Text, nullptr, FBkMode == OPAQUE && FBrush->Style() == bsSolid);
    FPenPos = {X + TextWidth(Text), Y};
    Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const AnsiString& Text) {
    if (FBrush->Style() == bsSolid && FSurface) FillPixels(R, ColorToPixel(FBrush->Color()));
    DrawTextAt(X, Y, Text, &R, false);
    Changed();
}

void TCanvas::DrawText(const AnsiString& Text, TRect R, uint32_t Format) {
    const int W = TextWidth(Text), H = TextHeight(Text);
    int X = R.Left, Y = R.Top;
    if (Format & DT_CENTER)
        X = R.Left + (R.Width() - W) / 2;
    else if (Format & DT_RIGHT)
        X = R.Right - W;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            Y = R.Top + (R.Height() - H) / 2;
        else if (Format & DT_BOTTOM)
            Y = R.Bottom - H;
    }
    DrawTextAt(X, Y, Text, (Format & DT_NOCLIP) ? nullptr : &R,
               FBkMode == OPAQUE && FBrush->Style() == bsSolid);
    Changed();
}
