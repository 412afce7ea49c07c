#include "app/u_start.h"

#include "Imports/VistaAltFixUnit.h"
#include "app/u_prog.h"
#include "classlib/SysUtils.h"
#include "app/u_funktionen.h"

Tstart* start = nullptr;
int32_t SplashTicks = 0;

namespace {

// A file of that name in the current folder; a folder does not count.
bool MarkerFileExists(const char* Name) {
  const DWORD Attributes = GetFileAttributesA(Name);
  return Attributes != INVALID_FILE_ATTRIBUTES && !(Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

Tstart::Tstart(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tstart>(
      "Tstart",
      {MethodOf("FormCreate", &Tstart::FormCreate), MethodOf("FormShow", &Tstart::FormShow),
       MethodOf("Timer1Timer", &Tstart::Timer1Timer), MethodOf("FormClick", &Tstart::FormClick)},
      {FieldOf("Image1", &Tstart::Image1), FieldOf("Image2", &Tstart::Image2), FieldOf("spr", &Tstart::spr),
       FieldOf("Timer1", &Tstart::Timer1)},
      {UnicodeKlassen()});
}

void Tstart::FormCreate(TObject* /*Sender*/) {
  new TVistaAltFix(this);
  if (MarkerFileExists("en")) spr->SetCaption("en");
  if (MarkerFileExists("de")) spr->SetCaption("de");
  startsprache();
  SplashTicks = 0;
}

void Tstart::startsprache() {
  if (spr->Caption() == "de") {
    spr->SetCaption("de");
    Image2->Hide();
  }
  if (spr->Caption() == "en") {
    spr->SetCaption("en");
    Image2->Show();
  }
}

std::string SprachCode(const std::string& Code) {
  return LowerCase(Trim(Code)) == "de" ? "de" : "en";
}

void Tstart::FormShow(TObject* /*Sender*/) {
  ShowWindow(Application->Handle(), SW_HIDE);
}

void Tstart::Timer1Timer(TObject* /*Sender*/) {
  ++SplashTicks;
  if (SplashTicks > 7) prog->Show();
  if (SplashTicks > 10) {
    Hide();
    Timer1->SetEnabled(false);
  }
}

void Tstart::FormClick(TObject* /*Sender*/) {
  prog->Show();
  Hide();
  Timer1->SetEnabled(false);
}
