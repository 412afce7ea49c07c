// The player window's menu commands that show a secondary window or open a web page.
#include "Imports/UCodeSysUtils.h"
#include "app/u_bugreport_de.h"
#include "app/u_bugreport_en.h"
#include "app/u_dateiinfo.h"
#include "app/u_einstshortcuts.h"
#include "app/u_fehler.h"
#include "app/u_info.h"
#include "app/u_lastfile.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_weblinks.h"

void Tprog::m_bugClick(TObject* /*Sender*/) {
  if (start->spr->Caption() == "de")
    bugreport_de->Show();
  else
    bugreport_en->Show();
}

void Tprog::m_bug_iClick(TObject* Sender) {
  m_bugClick(Sender);
}

void Tprog::mcloseClick(TObject* /*Sender*/) {
  Close();
}

void Tprog::mw6Click(TObject* /*Sender*/) {
  dateiinfo->Show();
  dateiinfo->Auslesen();
}

void Tprog::p3Click(TObject* /*Sender*/) {
  const std::wstring Datei = MarkierteDatei();
  if (!WideFileExists(Datei)) return;
  dateiinfo->Show();
  dateiinfo->DateiAuslesen(Datei);
}

void Tprog::akp1Click(TObject* Sender) {
  if (Player) mw6Click(Sender);
}

void Tprog::mw5Click(TObject* /*Sender*/) {
  lastfiles->Show();
  lastfiles->Aktualisieren();
}

void Tprog::m_einstshortcutsClick(TObject* /*Sender*/) {
  einstshortcuts->Show();
}

void Tprog::verkjaClick(TObject* Sender) {
  einstshortcuts->KonfigAnClick(Sender);
}

void Tprog::verkneinClick(TObject* Sender) {
  einstshortcuts->KonfigAusClick(Sender);
}

void Tprog::m_einst_sendenan_einClick(TObject* Sender) {
  einstshortcuts->SendenAnAnClick(Sender);
}

void Tprog::m_einst_sendenan_ausClick(TObject* Sender) {
  einstshortcuts->SendenAnAusClick(Sender);
}

void Tprog::m_fehlerClick(TObject* /*Sender*/) {
  fehler->Show();
}

void Tprog::i1Click(TObject* /*Sender*/) {
  info->SeiteZeigen(info->tide1, info->tien1);
}

void Tprog::i2Click(TObject* /*Sender*/) {
  info->SeiteZeigen(info->tide2, info->tien2);
}

void Tprog::i3Click(TObject* /*Sender*/) {
  info->SeiteZeigen(info->tide3, info->tien3);
}

void Tprog::i4Click(TObject* /*Sender*/) {
  info->SeiteZeigen(info->tide4, info->tien4);
}

void Tprog::Software1Click(TObject* /*Sender*/) {
  info->SeiteZeigen(info->tidesoft, info->tiensoft);
}

void Tprog::BrowseToMenuCaption(TObject* Sender) {
  WebSeiteOeffnen(MenuWebAdresse(static_cast<TMenuItem*>(Sender)->Caption()));
}
