#include "app/u_bugreport.h"

#include "Imports/UCodeControls.h"
#include "app/u_funktionen.h"
#include "app/u_weblinks.h"

void TBugreportFenster::FormCreate(TObject* /*Sender*/) {
  CaptionSetzen(lk_support, WebSeiten::Support.Adresse(FDeutsch));
  CaptionSetzen(lk_auftrag, WebSeiten::Auftrag.Adresse(FDeutsch));
}

void TBugreportFenster::Button1Click(TObject* /*Sender*/) {
  Close();
}

void TBugreportFenster::BrowseToCaption(TObject* Sender) {
  WebSeiteOeffnen(WebAdresse(GetControlWideText(static_cast<TControl*>(Sender)), QuelleBugreport));
}
