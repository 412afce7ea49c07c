#include "app/u_startfenster.h"

#include "app/u_WideMP3Func.h"
#include "app/u_prog.h"

Tstartfenster* startfenster = nullptr;
std::unique_ptr<TUCodeStringList> StartPlaylisten;

Tstartfenster::Tstartfenster(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tstartfenster>("Tstartfenster", {MethodOf("FormCreate", &Tstartfenster::FormCreate),
                                                     MethodOf("FormClose", &Tstartfenster::FormClose)});
}

void Tstartfenster::FormCreate(TObject* /*Sender*/) {
  StartPlaylisten = std::make_unique<TUCodeStringList>();
}

void Tstartfenster::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  StartPlaylisten->Clear();
}

void Tstartfenster::EinzigeLaden() {
  LoadPlaylist(StartPlaylisten->Get(0));
  prog->ListeAktualisieren();
  StartPlaylisten->Clear();
}
