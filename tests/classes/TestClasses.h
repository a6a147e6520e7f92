#pragma once
// Components of every property kind the form reader and writer handle, for their tests and fuzzer.
#include <memory>

#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"

namespace {
enum TShape : uint8_t { shSquare, shRound, shStar };
enum TMark : uint32_t { mkA = 1, mkB = 2, mkC = 4 };

class TStyle : public TPersistent {
    AGENDIX_CLASS(TStyle)
    int Size = 10;
    AnsiString Face = "Sans";
};
const TClassInfo& TStyle::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TStyle>("TStyle", &TPersistent::StaticClassInfo())
                                    .Int("Size", &TStyle::Size, &TStyle::Size, 10)
                                    .Str("Face", &TStyle::Face, &TStyle::Face, "Sans")
                                    .Build();
    return I;
}

class TColumnItem : public TCollectionItem {
    AGENDIX_CLASS(TColumnItem)
    AnsiString FieldName;
    int Width = 64;
    TStyle* Title() const { return FTitle.get(); }

  private:
    std::unique_ptr<TStyle> FTitle = std::make_unique<TStyle>();
};
const TClassInfo& TColumnItem::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TColumnItem>("TColumnItem", &TPersistent::StaticClassInfo())
                                    .Str("FieldName", &TColumnItem::FieldName, &TColumnItem::FieldName)
                                    .Object("Title", &TColumnItem::Title)
                                    .Int("Width", &TColumnItem::Width, &TColumnItem::Width, 64)
                                    .Build();
    return I;
}

class TWidget : public TComponent {
    AGENDIX_CLASS(TWidget)
    using TComponent::TComponent;
    int Left() const { return FLeft; }
    void SetLeft(int V) {
        FLeft = V;
        Log += "Left;";
    }
    bool Enabled = true;
    AnsiString Caption;
    TShape Shape = shSquare;
    uint32_t Marks = mkA;
    uint32_t Color = 0x80000005;
    TStyle* Style() const { return FStyle.get(); }
    TStrings* Items() const { return FItems.get(); }
    TCollection* Columns() const { return FColumns.get(); }
    TWidget* Buddy = nullptr;
    TNotifyEvent OnClick;
    AnsiString Log;
    bool LoadedCalled = false;
    bool WasLoadingInSetter = false;
    void Loaded() override {
        TComponent::Loaded();
        LoadedCalled = true;
    }

  private:
    int FLeft = 0;
    std::unique_ptr<TStyle> FStyle = std::make_unique<TStyle>();
    std::unique_ptr<TStringList> FItems = std::make_unique<TStringList>();
    std::unique_ptr<TOwnedCollection<TColumnItem>> FColumns =
        std::make_unique<TOwnedCollection<TColumnItem>>();
};
const TClassInfo& TWidget::StaticClassInfo() {
    static const TClassInfo I =
        TClassBuilder<TWidget>("TWidget", &TComponent::StaticClassInfo())
            .Creatable()
            .Int("Left", &TWidget::Left, &TWidget::SetLeft, 0)
            .Bool("Enabled", &TWidget::Enabled, &TWidget::Enabled, true)
            .Str("Caption", &TWidget::Caption, &TWidget::Caption)
            .Enum("Shape", &TWidget::Shape, &TWidget::Shape, shSquare, {"shSquare", "shRound", "shStar"})
            .Set("Marks", &TWidget::Marks, &TWidget::Marks, mkA, {"mkA", "mkB", "mkC"})
            .Int("Color", &TWidget::Color, &TWidget::Color, 0x80000005, "TTestColor")
            .Object("Style", &TWidget::Style)
            .Lines("Items", &TWidget::Items)
            .Items("Columns", &TWidget::Columns)
            .Ref<TWidget>("Buddy", &TWidget::Buddy, &TWidget::Buddy)
            .Event("OnClick", &TWidget::OnClick)
            .Build();
    return I;
}

class TTestForm : public TComponent {
    AGENDIX_CLASS(TTestForm)
    using TComponent::TComponent;
    TWidget* First = nullptr;
    TWidget* Second = nullptr;
    int Clicks = 0;
    void FirstClick(TObject* Sender) { ++Clicks; }
};
const TClassInfo& TTestForm::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TTestForm>("TTestForm", &TComponent::StaticClassInfo())
                                    .Field("First", &TTestForm::First)
                                    .Field("Second", &TTestForm::Second)
                                    .Method("FirstClick", &TTestForm::FirstClick)
                                    .Build();
    return I;
}

}  // namespace
