#pragma once
// The information window: help, recommendations, the maker's software, donations and the licence, on
// the tabs of a German and an English panel; the panel of the language is shown, both keep one page.
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TFrame1;
class TFrame2;

class Tinfo : public TForm {
 public:
  using TButton = UCodeRepStdCtrls::TButton;
  explicit Tinfo(TComponent* AOwner);

  TPanel* pinfo_de = nullptr;
  TPanel* pinfo_en = nullptr;
  TPageControl* pcide = nullptr;
  TPageControl* pcien = nullptr;
  TTabSheet* tide1 = nullptr;
  TTabSheet* tide2 = nullptr;
  TTabSheet* tidesoft = nullptr;
  TTabSheet* tide3 = nullptr;
  TTabSheet* tide4 = nullptr;
  TTabSheet* tien1 = nullptr;
  TTabSheet* tien2 = nullptr;
  TTabSheet* tiensoft = nullptr;
  TTabSheet* tien3 = nullptr;
  TTabSheet* tien4 = nullptr;
  TButton* btide1 = nullptr;
  TButton* btide2 = nullptr;
  TButton* btien1 = nullptr;
  TButton* btien2 = nullptr;
  TFrame1* Frame11 = nullptr;
  TFrame2* Frame21 = nullptr;

  void FormCreate(TObject* Sender);
  // The panel of the language code: the German one for "de", the English one for "en".
  void LocalSpr();
  // Shows the window with the German and the English page of one role active.
  void SeiteZeigen(TTabSheet* De, TTabSheet* En);
  // Back and next, on both panels at once, from the first page to the last and back.
  void btien1Click(TObject* Sender);
  void btien2Click(TObject* Sender);
  // A tab chosen on one panel is chosen on the other as well.
  void pcideChange(TObject* Sender);
  void BrowseToCaption(TObject* Sender);
};

extern Tinfo* info;
