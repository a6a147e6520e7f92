#include <gtest/gtest.h>

#include "tests/classes/TestClasses.h"

namespace {
const char* const Description = R"(object TestForm: TTestForm
  object First: TWidget
    Left = 12
    Enabled = False
    Caption = 'It''s '#13#10'일정'
    Shape = shStar
    Marks = [mkB, mkC]
    Color = clTest
    Style.Size = -12
    Items = (
      '06:00'
      '06:30')
    Columns = <
      item
        FieldName = 'Year'
        Title.Face = '굴림체'
        Width = 36
      end
      item
        FieldName = 'Msg'
      end>
    Buddy = Second
    OnClick = FirstClick
  end
  object Second: TWidget
    Caption = 'two'
  end
end
)";

struct Fixture : ::testing::Test {
    void SetUp() override {
        RegisterClass(TWidget::StaticClassInfo());
        RegisterIntegerIdents("TTestColor", {{"clTest", 0x123456}});
    }
};
}  // namespace

TEST_F(Fixture, ReadsComponentsPropertiesReferencesAndHandlers) {
    TTestForm Form(nullptr);
    ReadComponentRes(&Form, Description);
    ASSERT_NE(Form.First, nullptr);
    ASSERT_NE(Form.Second, nullptr);
    EXPECT_EQ(Form.Name(), "TestForm");
    TWidget& W = *Form.First;
    EXPECT_EQ(W.Owner(), &Form);
    EXPECT_EQ(W.Left(), 12);
    EXPECT_FALSE(W.Enabled);
    EXPECT_EQ(W.Caption, "It's \r\n일정");
    EXPECT_EQ(W.Shape, shStar);
    EXPECT_EQ(W.Marks, static_cast<uint32_t>(mkB | mkC));
    EXPECT_EQ(W.Color, 0x123456u);
    EXPECT_EQ(W.Style()->Size, -12);
    EXPECT_EQ(W.Items()->Items(), (std::vector<AnsiString>{"06:00", "06:30"}));
    ASSERT_EQ(W.Columns()->Count(), 2);
    auto* Col = static_cast<TColumnItem*>(W.Columns()->Item(0));
    EXPECT_EQ(Col->FieldName, "Year");
    EXPECT_EQ(Col->Title()->Face, "굴림체");
    EXPECT_EQ(Col->Width, 36);
    EXPECT_EQ(W.Buddy, Form.Second);
    ASSERT_TRUE(W.OnClick);
    W.OnClick(&W);
    EXPECT_EQ(Form.Clicks, 1);
    EXPECT_TRUE(W.LoadedCalled);
    EXPECT_FALSE(W.Loading());
    EXPECT_EQ(Form.FindComponent("second"), Form.Second);
}

TEST_F(Fixture, WritesOnlyStoredValuesInDeclarationOrderAndReadsThemBack) {
    TTestForm Form(nullptr);
    ReadComponentRes(&Form, Description);
    AnsiString Text = WriteComponentRes(&Form);
    // Defaults are left out: Second has only its caption.
    EXPECT_NE(Text.find("object Second: TWidget\n    Caption = 'two'\n  end"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Color = clTest"), std::string::npos) << Text;
    EXPECT_LT(Text.find("Left = 12"), Text.find("Enabled = False"));
    EXPECT_LT(Text.find("Style.Size = -12"), Text.find("Items = ("));
    EXPECT_EQ(Text.find("Width = 64"), std::string::npos);

    TTestForm Again(nullptr);
    ReadComponentRes(&Again, Text);
    EXPECT_EQ(WriteComponentRes(&Again), Text);
    EXPECT_EQ(Again.First->Caption, Form.First->Caption);
    EXPECT_EQ(Again.First->Buddy, Again.Second);
}

TEST_F(Fixture, ReferencesToAnotherRootWaitUntilItIsRead) {
    TTestForm A(nullptr), B(nullptr);
    ReadComponentRes(&A,
                     "object FormA: TTestForm\n object First: TWidget\n  Buddy = FormB.Second\n end\nend\n");
    EXPECT_EQ(A.First->Buddy, nullptr);
    ReadComponentRes(&B, "object FormB: TTestForm\n object Second: TWidget\n end\nend\n");
    EXPECT_EQ(A.First->Buddy, B.Second);
    EXPECT_NE(WriteComponentRes(&A).find("Buddy = FormB.Second"), std::string::npos);
}

TEST_F(Fixture, MalformedDescriptionsRaiseWithTheirLine) {
    struct Row {
        const char* Text;
        int Line;
    };
    for (Row R : {Row{"object F: TTestForm\n  object First: TWidget\n    Left = 'x'\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TNoSuchClass\n  end\nend", 2},
                  Row{"object F: TTestForm\n  object First: TWidget\n    Nope = 1\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TWidget\n    Shape = shOval\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TWidget\n    Marks = [mkA, mkZ]\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TWidget\n    OnClick = Missing\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TWidget\n    Buddy = Nobody\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TWidget\n    Caption = 'open\n  end\nend", 3},
                  Row{"object F: TTestForm\n  object First: TWidget\n", 3},
                  Row{"object F: TWrongClass\nend", 1}, Row{"object F: TTestForm\nend\nextra", 3}}) {
        TTestForm Form(nullptr);
        try {
            ReadComponentRes(&Form, R.Text);
            ADD_FAILURE() << "accepted:\n" << R.Text;
        } catch (const EReadError& E) {
            EXPECT_EQ(E.Message().rfind(Format("line %d:", R.Line), 0), 0u) << E.Message();
        }
    }
    std::string Deep;
    for (int I = 0; I < 200; ++I) Deep += "object A" + std::to_string(I) + ": TWidget\n";
    TTestForm Form(nullptr);
    EXPECT_THROW(ReadComponentRes(&Form, "object F: TTestForm\n" + Deep), EReadError);
}

TEST(Palette, RegisteredClassesAreListedOnceInOrder) {
    RegisterComponents("Agendix", {&TWidget::StaticClassInfo(), &TTestForm::StaticClassInfo()});
    RegisterComponents("Agendix", {&TWidget::StaticClassInfo()});
    int Widgets = 0;
    for (auto& E : PaletteEntries())
        if (E.Class == &TWidget::StaticClassInfo()) ++Widgets;
    EXPECT_EQ(Widgets, 1);
    EXPECT_EQ(FindClass("twidget"), &TWidget::StaticClassInfo());
}
