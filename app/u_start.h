#pragma once
// The splash window: the main form for the whole run, the holder of the language code (the caption of
// its hidden label spr), and the timer that shows the player window.
#include <cstdint>
#include <string>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Tstart : public TForm {
 public:
  explicit Tstart(TComponent* AOwner);

  TImage* Image1 = nullptr;
  TImage* Image2 = nullptr;
  TLabel* spr = nullptr;
  TTimer* Timer1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FormClick(TObject* Sender);
  // Shows the English overlay for "en", hides it for "de"; any other code changes nothing.
  void startsprache();
};

extern Tstart* start;
// A language code that comes from outside (the settings file): "de", in any case and with blanks around
// it, stays German; anything else is English, "en". So no window is left in the other language.
std::string SprachCode(const std::string& Code);
extern int32_t SplashTicks;
