// Every window of the program reads wide texts from its form description: each form, with one more label
// holding Greek and Japanese text, is read into a window of its class.
#include <gtest/gtest.h>

#include "tests/support/Trace.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Imports/UCodeStdCtrls.h"
#include "app/Program.h"
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
#include "classlib/FormReader.h"

namespace {

// The form's description with a label added before its last "end".
std::string WithProbe(const std::string& Resource) {
  const std::string Text =
      std::string(static_cast<const char*>(LockResource(
                      LoadResource(nullptr, FindResourceA(nullptr, Resource.c_str(), MAKEINTRESOURCEA(10))))),
                  SizeofResource(nullptr, FindResourceA(nullptr, Resource.c_str(), MAKEINTRESOURCEA(10))));
  const size_t End = Text.rfind("end");
  return Text.substr(0, End) +
         "object UnicodeProbe: TLabel\n"
         "  Caption = #913#952#942#957#945\n"
         "  Hint = #26481#20140 + '|' + #1046\n"
         "end\n" +
         Text.substr(End);
}

template <class T>
std::function<TForm*()> Maker() {
  return [] { return new T(nullptr); };
}

TEST(FormsUnicode, EveryWindowReadsWideCaptionsAndHints) {
  CreateProgramWindows();  // the globals that the windows' handlers read
  const std::vector<std::pair<std::string, std::function<TForm*()>>> Forms = {
      {"TSTART", Maker<Tstart>()},
      {"TPROG", Maker<Tprog>()},
      {"TSUCHOPT", Maker<Tsuchopt>()},
      {"TSTARTFENSTER", Maker<Tstartfenster>()},
      {"TADDORDNER", Maker<Taddordner>()},
      {"TLASTFILES", Maker<Tlastfiles>()},
      {"TINFO", Maker<Tinfo>()},
      {"TDATEIINFO", Maker<Tdateiinfo>()},
      {"TTXTEXPORT", Maker<Ttxtexport>()},
      {"TFEHLER", Maker<Tfehler>()},
      {"TDATEIQUELLEN", Maker<Tdateiquellen>()},
      {"TEINSTAUSGABE", Maker<Teinstausgabe>()},
      {"TBUGREPORT_DE", Maker<Tbugreport_de>()},
      {"TBUGREPORT_EN", Maker<Tbugreport_en>()},
      {"TEINSTSHORTCUTS", Maker<Teinstshortcuts>()},
  };
  for (const auto& [Resource, Make] : Forms) {
    TRACE_CASE(Resource);
    const std::unique_ptr<TForm> Form(Make());
    TReader Reader(WithProbe(Resource), Resource);
    Reader.ReadRootComponent(Form.get());
    auto* Probe = dynamic_cast<TUCodeLabel*>(Form->FindComponent("UnicodeProbe"));
    ASSERT_NE(Probe, nullptr);
    EXPECT_EQ(Probe->Caption(), L"\u0391\u03B8\u03AE\u03BD\u03B1");
    EXPECT_EQ(Probe->Hint(), L"\u6771\u4EAC|\u0416");
  }
  Application->DestroyForms();
}

}  // namespace
