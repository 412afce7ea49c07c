#include "Imports/UCodeActnList.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "Imports/UCodeSysUtils.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";

// A control with the Unicode controls' action support.
class TLinkedLabel : public TLabel {
 public:
  using TLabel::TLabel;
  void ChangeFromAction(TObject* Sender, bool CheckDefaults) { ActionChange(Sender, CheckDefaults); }

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    UCodeActionChange(this, Sender, CheckDefaults);
    TLabel::ActionChange(Sender, CheckDefaults);
  }
  TControlActionLinkClass GetActionLinkClass() override { return UCodeActionLinkClass(this); }
};

TEST(UCodeActions, AnActionWithoutTheMarkKeepsOnly8BitTexts) {
  TAction Action(nullptr);
  SetWideActionCaption(&Action, Greek);
  EXPECT_EQ(Action.Caption(), WideToAnsi(Greek));
  EXPECT_EQ(GetWideActionCaption(&Action), AnsiToWide(WideToAnsi(Greek)));
  SetWideActionHint(&Action, L"\u00E4");
  EXPECT_EQ(GetWideActionHint(&Action), L"\u00E4");
}

TEST(UCodeActions, LinkedControlsShowTheWideTexts) {
  TForm Form(nullptr);
  auto* Action = new TUCodeAction(&Form);
  Action->SetCaption(Greek);
  Action->SetHint(L"\u6771\u4EAC");
  auto* Label = new TLinkedLabel(&Form);
  Label->SetParent(&Form);
  Label->SetAction(Action);
  EXPECT_EQ(GetControlWideText(Label), Greek);
  EXPECT_EQ(GetControlWideHint(Label), L"\u6771\u4EAC");
  // A new caption with the same 8-bit form still reaches the client.
  Action->SetCaption(L"\u0416\u0416\u0416\u0416\u0416");
  EXPECT_EQ(GetControlWideText(Label), L"\u0416\u0416\u0416\u0416\u0416");
  EXPECT_EQ(Action->Caption(), L"\u0416\u0416\u0416\u0416\u0416");
  Action->SetCaption(L"Neu");
  EXPECT_EQ(GetControlWideText(Label), L"Neu");
  delete Action;
  EXPECT_EQ(Label->Action(), nullptr);
}

// A library control of the given kind with the Unicode controls' action support.
template <class Base>
class TLinked : public Base {
 public:
  using Base::Base;

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    UCodeActionChange(this, Sender, CheckDefaults);
    Base::ActionChange(Sender, CheckDefaults);
  }
  TControlActionLinkClass GetActionLinkClass() override { return UCodeActionLinkClass(this); }
};

// The control gets the link of its kind, which carries the action's wide texts, also a new caption with
// the same 8-bit form.
template <class Control, class Link>
void ExpectWideLink(TForm& Form) {
  const char* Kind = typeid(Control).name();
  auto* Action = new TUCodeAction(&Form);
  Action->SetCaption(Greek);
  Action->SetHint(L"\u6771\u4EAC");
  auto* Client = new TLinked<Control>(&Form);
  Client->SetParent(&Form);
  Client->SetAction(Action);
  EXPECT_NE(dynamic_cast<Link*>(Client->ActionLink()), nullptr) << Kind;
  EXPECT_EQ(GetControlWideText(Client), Greek) << Kind;
  EXPECT_EQ(GetControlWideHint(Client), L"\u6771\u4EAC") << Kind;
  Action->SetCaption(L"\u0416\u0416\u0416\u0416\u0416");
  EXPECT_EQ(GetControlWideText(Client), L"\u0416\u0416\u0416\u0416\u0416") << Kind;
  Action->SetHint(Greek);
  EXPECT_EQ(GetControlWideHint(Client), Greek) << Kind;
}

TEST(UCodeActions, SpeedBitmapAndToolButtonsAndExtendedComboBoxesGetTheirKindsOfWideLink) {
  TForm Form(nullptr);
  ExpectWideLink<TSpeedButton, TUCodeSpeedButtonActionLink>(Form);
  ExpectWideLink<TBitBtn, TUCodeBitBtnActionLink>(Form);
  ExpectWideLink<TToolButton, TUCodeToolButtonActionLink>(Form);
  ExpectWideLink<TComboBoxEx, TUCodeComboBoxExActionLink>(Form);
}

TEST(UCodeActions, DefaultsTakeTheActionsCaptionOnlyWhereTheControlHasNone) {
  TForm Form(nullptr);
  TUCodeAction Action(nullptr);
  Action.SetCaption(Greek);
  auto* Named = new TLinkedLabel(&Form);
  Named->SetName("Named");
  Named->SetParent(&Form);
  SetControlWideText(Named, L"Named");
  Named->ChangeFromAction(&Action, true);
  EXPECT_EQ(GetControlWideText(Named), Greek);
  auto* Own = new TLinkedLabel(&Form);
  Own->SetParent(&Form);
  SetControlWideText(Own, L"own");
  Own->ChangeFromAction(&Action, true);
  EXPECT_EQ(GetControlWideText(Own), L"own");
}

TEST(UCodeActions, AssignCopiesTheWideTexts) {
  TUCodeAction Source(nullptr), Dest(nullptr);
  Source.SetCaption(Greek);
  Source.SetHint(L"h\u0416");
  Source.SetShortCut(scCtrl | 'K');
  Dest.Assign(&Source);
  EXPECT_EQ(Dest.Caption(), Greek);
  EXPECT_EQ(Dest.Hint(), L"h\u0416");
  EXPECT_EQ(Dest.ShortCut(), scCtrl | 'K');
}

}  // namespace
