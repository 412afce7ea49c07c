#include "app/u_startfenster.h"

#include "app/u_WideMP3Func.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Tstartfenster* startfenster = nullptr;
std::unique_ptr<TUCodeStringList> StartPlaylisten;

Tstartfenster::Tstartfenster(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tstartfenster>(
      "Tstartfenster",
      {MethodOf("FormCreate", &Tstartfenster::FormCreate), MethodOf("FormClose", &Tstartfenster::FormClose)},
      {}, {UnicodeKlassen()});
}

void Tstartfenster::FormCreate(TObject* /*Sender*/) {
  StartPlaylisten = std::make_unique<TUCodeStringList>();
  sprache();
}

void Tstartfenster::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  StartPlaylisten->Clear();
}

void Tstartfenster::EinzigeLaden() {
  LoadPlaylist(StartPlaylisten->Get(0));
  prog->ListeAktualisieren();
  StartPlaylisten->Clear();
}

void Tstartfenster::sprache() {
  static const TFensterText Texte[] = {
      {txCaption, "startfenster", L"Playlist \u00D6ffnen", L"Open Playlist"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
