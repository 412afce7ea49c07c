#include "app/Program.h"

#include "Imports/UCodeForms.h"

#include "app/u_addordner.h"
#include "app/u_bugreport_de.h"
#include "app/u_bugreport_en.h"
#include "app/u_dateiinfo.h"
#include "app/u_dateiquellen.h"
#include "app/u_einstausgabe.h"
#include "app/u_einstshortcuts.h"
#include "app/u_fehler.h"
#include "app/u_info.h"
#include "app/u_lastfile.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_startfenster.h"
#include "app/u_suchopt.h"
#include "app/u_txtexport.h"

void CreateProgramWindows() {
  // Before the first window: the wide application object and its character hook.
  UCodeApplication();
  Application->Initialize();
  Application->SetTitle("KRB Media Velmaro");
  Application->CreateForm(start);
  Application->CreateForm(prog);
  Application->CreateForm(suchopt);
  Application->CreateForm(startfenster);
  Application->CreateForm(addordner);
  Application->CreateForm(lastfiles);
  Application->CreateForm(info);
  Application->CreateForm(dateiinfo);
  Application->CreateForm(txtexport);
  Application->CreateForm(fehler);
  Application->CreateForm(dateiquellen);
  Application->CreateForm(einstausgabe);
  Application->CreateForm(bugreport_de);
  Application->CreateForm(bugreport_en);
  Application->CreateForm(einstshortcuts);
}

int RunProgram() {
  try {
    CreateProgramWindows();
    Application->Run();
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
  Application->DestroyForms();
  return 0;
}
