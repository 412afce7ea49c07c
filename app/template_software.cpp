#include "app/template_software.h"

#include "Imports/UCodeControls.h"
#include "app/u_funktionen.h"
#include "app/u_weblinks.h"

namespace {

constexpr int Rand = 8;
constexpr int TextLinks = 64;  // the names and descriptions begin right of the buttons
constexpr int Zeile = 56;      // the height of one application's entry

}  // namespace

TSoftwareFrame::TSoftwareFrame(TComponent* AOwner, const std::string& Box, bool Deutsch)
    : TWinControl(AOwner), FScrollBox(new TScrollBox(this)) {
  SetAlign(alClient);
  FScrollBox->SetName(Box);
  FScrollBox->SetParent(this);
  FScrollBox->SetAlign(alClient);
  FScrollBox->VertScrollBar()->SetTracking(true);
  FScrollBox->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) {
    ScrollBoxMouseMove(S, Sh, X, Y);
  };
  FScrollBox->OnMouseWheelDown = [this](TObject* S, TShiftState Sh, POINT P, bool& H) {
    ScrollBoxMouseWheelDown(S, Sh, P, H);
  };
  FScrollBox->OnMouseWheelUp = [this](TObject* S, TShiftState Sh, POINT P, bool& H) {
    ScrollBoxMouseWheelUp(S, Sh, P, H);
  };
  int Top = Rand;
  for (const TAnwendung& A : Anwendungen()) {
    auto* Knopf = new TButton(this);
    Knopf->SetParent(FScrollBox);
    Knopf->SetBounds(Rand, Top, TextLinks - 2 * Rand, 24);
    Knopf->SetCaption(L"www");
    HintSetzen(Knopf, A.Seite->Adresse(Deutsch));
    Knopf->SetShowHint(true);
    Knopf->OnClick = [this](TObject* S) { BrowseToHint(S); };
    TLabel* Name = NeuesLabel(Top, A.Name);
    Name->Font()->SetStyle(fsBold);
    NeuesLabel(Top + 18, Deutsch ? A.Seite->BeschreibungDe : A.Seite->BeschreibungEn);
    Top += Zeile;
  }
  FSeitenLink = NeuesLabel(Top, WebSeiten::Start.Adresse(Deutsch));
  FSeitenLink->SetLeft(Rand);
  FSeitenLink->SetCursor(crHandPoint);
  FSeitenLink->Font()->SetColor(clBlue);
  FSeitenLink->Font()->SetStyle(fsUnderline);
  FSeitenLink->OnClick = [this](TObject* S) { BrowseToCaption(S); };
}

TSoftwareFrame::TLabel* TSoftwareFrame::NeuesLabel(int Top, const std::wstring& Text) {
  auto* Label = new TLabel(this);
  Label->SetParent(FScrollBox);
  Label->SetLeft(TextLinks);
  Label->SetTop(Top);
  CaptionSetzen(Label, Text);
  Label->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) { ScrollBoxMouseMove(S, Sh, X, Y); };
  return Label;
}

void TSoftwareFrame::BrowseToHint(TObject* Sender) {
  WebSeiteOeffnen(WebAdresse(GetControlWideHint(static_cast<TControl*>(Sender)), QuelleInfo));
}

void TSoftwareFrame::BrowseToCaption(TObject* Sender) {
  WebSeiteOeffnen(WebAdresse(GetControlWideText(static_cast<TControl*>(Sender)), QuelleInfo));
}

void TSoftwareFrame::ScrollBoxMouseMove(TObject* /*Sender*/, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
  // Only while the window is the active one: a mouse passing over must not take it from another window.
  TForm* Form = GetParentForm(this);
  if (Form && GetActiveWindow() == Form->Handle() && !FScrollBox->Focused()) FScrollBox->SetFocus();
}

void TSoftwareFrame::ScrollBoxMouseWheelDown(TObject* /*Sender*/, TShiftState /*Shift*/, POINT /*MousePos*/,
                                             bool& Handled) {
  FScrollBox->VertScrollBar()->SetPosition(FScrollBox->VertScrollBar()->Position() + 10);
  Handled = true;
}

void TSoftwareFrame::ScrollBoxMouseWheelUp(TObject* /*Sender*/, TShiftState /*Shift*/, POINT /*MousePos*/,
                                           bool& Handled) {
  FScrollBox->VertScrollBar()->SetPosition(FScrollBox->VertScrollBar()->Position() - 10);
  Handled = true;
}
