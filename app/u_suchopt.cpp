#include "app/u_suchopt.h"

#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Tsuchopt* suchopt = nullptr;

Tsuchopt::Tsuchopt(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tsuchopt>(
      "Tsuchopt",
      {MethodOf("FormCreate", &Tsuchopt::FormCreate), MethodOf("FormClose", &Tsuchopt::FormClose),
       MethodOf("AkPanel", &Tsuchopt::AkPanel), MethodOf("StandardClick", &Tsuchopt::StandardClick),
       MethodOf("OKClick", &Tsuchopt::OKClick)},
      {FieldOf("gb1", &Tsuchopt::gb1), FieldOf("gb2", &Tsuchopt::gb2),
       FieldOf("s_interpret", &Tsuchopt::s_interpret), FieldOf("s_titel", &Tsuchopt::s_titel),
       FieldOf("s_laenge", &Tsuchopt::s_laenge), FieldOf("s_album", &Tsuchopt::s_album),
       FieldOf("s_track", &Tsuchopt::s_track), FieldOf("s_jahr", &Tsuchopt::s_jahr),
       FieldOf("s_genre", &Tsuchopt::s_genre), FieldOf("s_datei", &Tsuchopt::s_datei),
       FieldOf("s_grkl", &Tsuchopt::s_grkl), FieldOf("s_exakt", &Tsuchopt::s_exakt),
       FieldOf("s_invers", &Tsuchopt::s_invers), FieldOf("s_ganz", &Tsuchopt::s_ganz),
       FieldOf("s_und", &Tsuchopt::s_und), FieldOf("s_oder", &Tsuchopt::s_oder),
       FieldOf("Standard", &Tsuchopt::Standard), FieldOf("OK", &Tsuchopt::OK)},
      {UnicodeKlassen()});
}

std::array<Tsuchopt::TCheckBox*, SongFieldCount> Tsuchopt::SpaltenSchalter() const {
  return {s_interpret, s_titel, s_laenge, s_album, s_track, s_jahr, s_genre, s_datei};
}

void Tsuchopt::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
}

void Tsuchopt::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  prog->pa_suche->Show();
  if (prog->suchwort->CanFocus()) prog->suchwort->SetFocus();
  prog->msuche->SetChecked(true);
}

void Tsuchopt::AkPanel(TObject* /*Sender*/) {
  // Setting a switch fires its handler only on a change, so the copy back finds nothing to do.
  if (!prog) return;
  prog->s_interpret->SetChecked(s_interpret->Checked());
  prog->s_titel->SetChecked(s_titel->Checked());
  prog->s_laenge->SetChecked(s_laenge->Checked());
  prog->s_album->SetChecked(s_album->Checked());
  prog->s_track->SetChecked(s_track->Checked());
  prog->s_jahr->SetChecked(s_jahr->Checked());
  prog->s_datei->SetChecked(s_datei->Checked());
  prog->s_genre->SetChecked(s_genre->Checked());
  prog->s_grkl->SetChecked(s_grkl->Checked());
  prog->s_strexakt->SetChecked(s_exakt->Checked());
  prog->s_ganz->SetChecked(s_ganz->Checked());
  prog->s_und->SetChecked(s_und->Checked());
  prog->s_oder->SetChecked(s_oder->Checked());
  prog->s_invers->SetChecked(s_invers->Checked());
}

void Tsuchopt::StandardClick(TObject* Sender) {
  for (TCheckBox* Spalte : SpaltenSchalter()) Spalte->SetChecked(false);
  s_interpret->SetChecked(true);
  s_titel->SetChecked(true);
  s_album->SetChecked(true);
  s_exakt->SetChecked(false);
  s_grkl->SetChecked(false);
  s_ganz->SetChecked(true);
  s_oder->SetChecked(false);
  s_und->SetChecked(false);
  s_invers->SetChecked(false);
  AkPanel(Sender);
}

void Tsuchopt::OKClick(TObject* /*Sender*/) {
  Close();
}

void Tsuchopt::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "suchopt", L"Suchoptionen", L"Search Options"},
      {txCaption, "gb2", L"Einstellungen", L"Settings"},
      {txCaption, "s_grkl", L"Gro\u00DF- und Kleinschreibung beachten", L"Differ in Lower and Upper Words"},
      {txCaption, "s_exakt", L"Exakter Suchbegriff", L"Exact Term"},
      {txCaption, "s_ganz", L"Nach ganzem Suchbegriff suchen", L"Search for whole Term"},
      {txCaption, "s_und", L"UND-Verkn\u00FCpfung zwischen Einzelw\u00F6rtern",
       L"AND-Relation between individual Words"},
      {txCaption, "s_oder", L"ODER-Verkn\u00FCpfung zwischen Einzelw\u00F6rtern",
       L"OR-Relation betwenn individual Words"},
      {txCaption, "s_invers", L"Inverse Suche", L"Inverse Search"},
      {txCaption, "gb1", L"Diese Spalten werden durchsucht", L"Search these Columns:"},
      {txCaption, "s_interpret", L"Interpret", L"Artist"},
      {txCaption, "s_titel", L"Titel", L"Title"},
      {txCaption, "s_laenge", L"L\u00E4nge", L"Length"},
      {txCaption, "s_album", L"Album", L"Album"},
      {txCaption, "s_track", L"Tracknummer", L"Track"},
      {txCaption, "s_jahr", L"Jahr", L"Year"},
      {txCaption, "s_datei", L"Dateiname und Pfad", L"File"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}

void Tsuchopt::Dispatch(TMessage& Message) {
  TForm::Dispatch(Message);
  if (Message.Msg == WM_GETMINMAXINFO) {
    auto* Info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    Info->ptMinTrackSize = {300, 470};
  }
}
