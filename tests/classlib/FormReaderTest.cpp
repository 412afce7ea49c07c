#include "classlib/FormReader.h"

#include <gtest/gtest.h>

#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"

namespace {

// A form class of the test with two handlers, a field and a property streamed by DefineProperties.
class TReaderTestForm : public TForm {
 public:
  explicit TReaderTestForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterFormClass<TReaderTestForm>("TReaderTestForm",
                                       {MethodOf("ButtonClick", &TReaderTestForm::ButtonClick),
                                        MethodOf("DoClose", &TReaderTestForm::DoClose)},
                                       {FieldOf("Button1", &TReaderTestForm::Button1)});
  }
  void ButtonClick(TObject* /*Sender*/) { ++Clicks; }
  void DoClose(TObject* /*Sender*/, TCloseAction& Action) { Action = caNone; }
  void DefineProperties(TFiler* Filer) override {
    TForm::DefineProperties(Filer);
    Filer->DefineProperty(
        "ExtraW",
        [this](TReader* Reader) {
          ExtraType = Reader->NextValue();
          Extra = Reader->ReadWideString();
        },
        nullptr, false);
  }
  TButton* Button1 = nullptr;
  int Clicks = 0;
  std::wstring Extra;
  TValueType ExtraType = vaNull;
};

void Read(TComponent* Root, const std::string& Text) {
  TReader Reader(Text, "TEST");
  Reader.ReadRootComponent(Root);
}

struct TFormGuard {
  TReaderTestForm* Form = new TReaderTestForm(nullptr);
  ~TFormGuard() { delete Form; }
};

constexpr const char* FullForm = R"(object Main: TReaderTestForm
  Caption = 'Gr'#252#223'e'
  ClientWidth = 300
  ClientHeight = 200
  BorderStyle = bsToolWindow
  Color = clWindow
  Font.Name = 'Tahoma'
  Font.Style = [fsBold, fsItalic]
  Menu = MainMenu1
  OnClose = DoClose
  ExtraW = 'A'#8364'B'
  object Button1: TButton
    Left = 10
    Top = $14
    Caption = 'Line one' +
      ' and more'
    PopupMenu = Popup1
    OnClick = ButtonClick
  end
  object Panel1: TPanel
    Align = alBottom
    Height = 40
    Tag = -7
    object List: TListView
      ViewStyle = vsReport
      OwnerData = True
      Columns = <
        item
          Caption = 'Nr'
          Width = 30
        end
        item
          Caption = 'Titel'
          Alignment = taRightJustify
        end>
    end
  end
  object Box: TListBox
    Items.Strings = (
      'first'
      'it''s second')
  end
  object Shown: TImage
    Picture.Data = {
      0754426974 6D6170 3A000000
      424D3A0000000000000036000000280000000100000001000000010018000000
      000004000000000000000000000000000000000000000000FF00}
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&Datei'
      object Open1: TMenuItem
        Caption = #214'ffnen'
        ShortCut = 16463
        RadioItem = True
        Checked = True
      end
      object Remove1: TMenuItem
        ShortCut = 46
        ShortCutControl = Box
      end
    end
  end
  object Popup1: TPopupMenu
  end
end
)";

TEST(FormReaderValues, EveryKindOfValueReachesItsProperty) {
  TFormGuard G;
  TReaderTestForm* F = G.Form;
  Read(F, FullForm);
  EXPECT_EQ(F->Name(), "Main");
  EXPECT_EQ(F->Caption(),
            "Gr\xFC\xDF"
            "e");  // #nnn below 256: 8-bit characters
  EXPECT_EQ(F->ClientWidth(), 300);
  EXPECT_EQ(F->BorderStyle(), bsToolWindow);
  EXPECT_EQ(F->Color(), clWindow);
  EXPECT_EQ(F->Font()->Name(), "Tahoma");
  EXPECT_EQ(F->Font()->Style(), fsBold | fsItalic);
  // A wide value through DefineProperties, peeked at first.
  EXPECT_EQ(F->ExtraType, vaWString);
  EXPECT_EQ(F->Extra, L"A\u20ACB");

  ASSERT_NE(F->Button1, nullptr);  // the field is bound by name
  EXPECT_EQ(F->Button1->Top(), 0x14);
  EXPECT_EQ(F->Button1->Caption(), "Line one and more");
  EXPECT_EQ(F->Button1->Parent(), F);

  auto* Panel = static_cast<TPanel*>(F->FindComponent("Panel1"));
  EXPECT_EQ(Panel->Align(), alBottom);
  EXPECT_EQ(Panel->Tag(), -7);
  auto* List = static_cast<TListView*>(F->FindComponent("List"));
  EXPECT_EQ(List->Parent(), Panel);
  EXPECT_TRUE(List->OwnerData());
  ASSERT_EQ(List->Columns()->Count(), 2);
  EXPECT_EQ(List->Columns()->Items(0)->Width(), 30);
  EXPECT_EQ(List->Columns()->Items(1)->Caption(), "Titel");
  EXPECT_EQ(List->Columns()->Items(1)->Alignment(), taRightJustify);

  auto* Box = static_cast<TListBox*>(F->FindComponent("Box"));
  ASSERT_EQ(Box->Items()->Count(), 2);
  EXPECT_EQ(Box->Items()->Get(1), "it's second");

  auto* Shown = static_cast<TImage*>(F->FindComponent("Shown"));
  ASSERT_NE(dynamic_cast<TBitmap*>(Shown->Picture()->Graphic()), nullptr);
  EXPECT_EQ(Shown->Picture()->Width(), 1);

  auto* Open1 = static_cast<TMenuItem*>(F->FindComponent("Open1"));
  EXPECT_EQ(Open1->Caption(),
            "\xD6"
            "ffnen");
  EXPECT_EQ(Open1->ShortCut(), TextToShortCut("Ctrl+O"));
  EXPECT_TRUE(Open1->Checked());
  EXPECT_EQ(Open1->Parent(), F->FindComponent("File1"));
  EXPECT_EQ(static_cast<TMenuItem*>(F->FindComponent("Remove1"))->ShortCutControl(), F->FindComponent("Box"));
}

TEST(FormReaderValues, ReferencesAndHandlersAreBoundByName) {
  TFormGuard G;
  TReaderTestForm* F = G.Form;
  Read(F, FullForm);
  EXPECT_EQ(F->Menu(), F->FindComponent("MainMenu1"));  // named before it was read
  EXPECT_EQ(F->Button1->PopupMenu(), F->FindComponent("Popup1"));
  F->Button1->Click();
  EXPECT_EQ(F->Clicks, 1);
  // The menu's shortcut reaches its item through the form.
  bool Opened = false;
  static_cast<TMenuItem*>(F->FindComponent("Open1"))->OnClick = [&](TObject*) { Opened = true; };
  EXPECT_TRUE(F->IsShortCut('O', ssCtrl, nullptr));
  EXPECT_TRUE(Opened);
  TCloseAction Action = caHide;
  F->OnClose(F, Action);
  EXPECT_EQ(Action, caNone);
  // A freed popup menu leaves no dangling reference.
  delete F->FindComponent("Popup1");
  EXPECT_EQ(F->Button1->PopupMenu(), nullptr);
}

TEST(FormReaderValues, PagesJoinTheirPageControlAndTheNamedOneIsActive) {
  TFormGuard G;
  TReaderTestForm* F = G.Form;
  Read(F, R"(object Main: TReaderTestForm
  object Button1: TButton
  end
  object Pages: TPageControl
    ActivePage = Second
    object First: TTabSheet
      Caption = 'Eins'
    end
    object Second: TTabSheet
      Caption = 'Zwei'
      TabVisible = False
      object Box: TScrollBox
        VertScrollBar.Tracking = True
        VertScrollBar.Increment = 10
      end
    end
  end
end
)");
  auto* Pages = static_cast<TPageControl*>(F->FindComponent("Pages"));
  ASSERT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->Pages(0), F->FindComponent("First"));
  EXPECT_EQ(Pages->ActivePage(), F->FindComponent("Second"));
  EXPECT_FALSE(Pages->Pages(1)->TabVisible());
  auto* Box = static_cast<TScrollBox*>(F->FindComponent("Box"));
  EXPECT_EQ(Box->Parent(), Pages->Pages(1));
  EXPECT_TRUE(Box->VertScrollBar()->Tracking());
  EXPECT_EQ(Box->VertScrollBar()->Increment(), 10);
}

struct TBadForm {
  const char* Text;
  const char* Expected;  // part of the message
};

TEST(FormReaderErrors, FaultsRaiseReadErrorsWithTheirLine) {
  const TBadForm Cases[] = {
      {"object Main: TReaderTestForm\n  OnClose = NoSuchHandler\nend\n",
       "line 2: Method NoSuchHandler not found"},
      {"object Main: TReaderTestForm\n  Colour = 5\nend\n", "line 2: Property Colour does not exist"},
      {"object Main: TReaderTestForm\n  Caption = 'open\nend\n", "line 2: Unterminated string"},
      {"object Main: TReaderTestForm\n  object X: TNoSuchClass\n  end\nend\n",
       "line 2: Class TNoSuchClass not found"},
      {"object Main: TReaderTestForm\n  BorderStyle = bsRound\nend\n",
       "line 2: Invalid property value bsRound"},
      {"object Main: TReaderTestForm\n  Menu = Nowhere\n  object Button1: TButton\n  end\nend\n",
       "line 2: Unresolved reference Nowhere"},
      {"object Main: TReaderTestForm\n  Menu = Button1\n  object Button1: TButton\n  end\nend\n",
       "Invalid property value for Menu"},
      {"object Main: TReaderTestForm\n  Left = 1\n", "'end' expected"},
      {"object Main: TReaderTestForm\nend\n", "component Button1 is missing"},
      {"object Main: TOtherForm\nend\n", "describes TOtherForm"},
      {"object Main: TReaderTestForm\n  Picture.Data = {0A1}\nend\n", "Odd number"},
      {"object Main: TReaderTestForm\n  Left = 'text'\nend\n", "Integer expected"},
      {"object Main: TReaderTestForm\n  object Page: TTabSheet\n  end\nend\n",
       "line 2: A tab sheet belongs into a page control"},
      {"", "'object' expected"},
  };
  for (const TBadForm& Case : Cases) {
    TFormGuard G;
    try {
      Read(G.Form, Case.Text);
      ADD_FAILURE() << "no error for: " << Case.Text;
    } catch (const EReadError& E) {
      EXPECT_NE(std::string(E.what()).find(Case.Expected), std::string::npos) << E.what();
      EXPECT_NE(std::string(E.what()).find("TEST"), std::string::npos) << E.what();
    }
  }
}

TEST(FormReaderErrors, SkipValueAndListsOfAFilerProperty) {
  // A DefineProperties reader may skip what it does not want, of any shape.
  class TSkipper : public TComponent {
   public:
    using TComponent::TComponent;
    void DefineProperties(TFiler* Filer) override {
      Filer->DefineProperty(
          "Old", [](TReader* R) { R->SkipValue(); }, nullptr, false);
    }
  };
  static const TClassInfo Info =
      MakeClassInfo<TSkipper>("TSkipper", (FormClassInfo(), GetClass("TComponent")), {});
  RegisterClass(&Info);
  TSkipper Root(nullptr);
  Read(&Root,
       "object S: TSkipper\n Old = ( 'a' [x, y] < item A = 1 end > {00} (1 2) )\n Old = 5\n Tag = 3\nend");
  EXPECT_EQ(Root.Tag(), 3);
}

TEST(FormReaderResources, AFormComesFromItsResourceOrNamesTheMissingOne) {
  TReaderTestForm* Form = nullptr;
  try {
    Form = NewForm<TReaderTestForm>(nullptr);
  } catch (const EResNotFound& E) {
    EXPECT_STREQ(E.what(), "Resource TREADERTESTFORM not found");
  }
  EXPECT_EQ(Form, nullptr);
}

}  // namespace

namespace {

// A class that stands in for the library's TLabel in the forms whose class table names it.
class TStandInLabel : public TLabel {
 public:
  using TLabel::TLabel;
};

const TClassInfo* StandInLabelClass() {
  static const TClassInfo Info = [] {
    RegisterLibraryClasses();
    return MakeClassInfo<TStandInLabel>("TLabel", GetClass("TLabel"), {});
  }();
  RegisterReplacementClass(&Info);
  return &Info;
}

class TTableForm : public TForm {
 public:
  explicit TTableForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterFormClass<TTableForm>("TTableForm", {}, {FieldOf("Named", &TTableForm::Named)},
                                  {{StandInLabelClass()}});
  }
  TStandInLabel* Named = nullptr;
};

TEST(FormReaderClassTable, AFormsClassTableGoesBeforeTheRegisteredClasses) {
  TTableForm Form(nullptr);
  Read(&Form, R"(object T: TTableForm
  object Named: TLabel
  end
  object Unnamed: TLabel
  end
end)");
  ASSERT_NE(Form.Named, nullptr);
  EXPECT_NE(dynamic_cast<TStandInLabel*>(Form.FindComponent("Unnamed")), nullptr);
  EXPECT_EQ(GetClass("TLabel"), GetClassInfo(Form.Named)->Parent);  // the library's name stays its own
  // A form without the table gets the library's class.
  TFormGuard Other;
  Read(Other.Form, R"(object Other: TReaderTestForm
  object Button1: TButton
  end
  object Plain: TLabel
  end
end)");
  EXPECT_EQ(dynamic_cast<TStandInLabel*>(Other.Form->FindComponent("Plain")), nullptr);
}

}  // namespace
