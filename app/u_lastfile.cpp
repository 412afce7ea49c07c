#include "app/u_lastfile.h"

#include "Imports/UCodeSysUtils.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Tlastfiles* lastfiles = nullptr;
bool LetzteSongsSichtbar = false;
int32_t LfSortSpalte = 0;
int32_t LfLetzteSortSpalte = 0;
int32_t LfSortAbsteigend = 0;

namespace {

const TFensterText Texte[] = {
    {txCaption, "lastfiles", L"Letzte Songs", L"Last Songs"},
    {txCaption, "Button1", L"Schlie\u00DFen", L"Close"},
    {txCaption, "Delete", L"L\u00F6schen", L"Delete"},
    {txSpalte, "lf", L"Song", L"Song", 0},
    {txSpalte, "lf", L"Dateipfad", L"File", 1},
};

}  // namespace

Tlastfiles::Tlastfiles(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tlastfiles>(
      "Tlastfiles",
      {MethodOf("FormCreate", &Tlastfiles::FormCreate), MethodOf("FormShow", &Tlastfiles::FormShow),
       MethodOf("FormHide", &Tlastfiles::FormHide), MethodOf("lfDblClick", &Tlastfiles::lfDblClick),
       MethodOf("lfKeyDown", &Tlastfiles::lfKeyDown), MethodOf("DeleteClick", &Tlastfiles::DeleteClick),
       MethodOf("Button1Click", &Tlastfiles::Button1Click),
       MethodOf("lfColumnClick", &Tlastfiles::lfColumnClick), MethodOf("lfCompare", &Tlastfiles::lfCompare)},
      {FieldOf("lf", &Tlastfiles::lf)}, {UnicodeKlassen()});
}

void Tlastfiles::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
}

void Tlastfiles::FormShow(TObject* /*Sender*/) {
  LetzteSongsSichtbar = true;
}

void Tlastfiles::FormHide(TObject* /*Sender*/) {
  LetzteSongsSichtbar = false;
}

void Tlastfiles::LocalSpr() {
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}

void Tlastfiles::Aktualisieren() {
  lf->Items()->BeginUpdate();
  lf->Items()->Clear();
  for (auto Song = LetzteSongs.rbegin(); Song != LetzteSongs.rend(); ++Song) {
    TUCodeListItem* Zeile = lf->Items()->Add();
    Zeile->SetCaption(Song->Anzeige);
    Zeile->SubItems()->Add(Song->Pfad);
  }
  lf->Items()->EndUpdate();
}

void Tlastfiles::lfDblClick(TObject* /*Sender*/) {
  const int Zeile = lf->ItemIndex();
  if (Zeile < 0) return;
  AktIndex = 0;
  const std::wstring Pfad = SpaltenText(lf->Items()->Item(Zeile), 1);
  if (WideFileExists(Pfad)) prog->DateiAbspielen(Pfad);
}

void Tlastfiles::lfKeyDown(TObject* /*Sender*/, WORD& Key, TShiftState /*Shift*/) {
  if (Key != VK_DELETE) return;
  for (int I = lf->Items()->Count() - 1; I >= 0; --I)
    if (lf->Items()->Item(I)->Selected()) lf->Items()->Delete(I);
}

void Tlastfiles::DeleteClick(TObject* /*Sender*/) {
  LetzteSongs.clear();
  lf->Items()->Clear();
}

void Tlastfiles::Button1Click(TObject* /*Sender*/) {
  Close();
}

void Tlastfiles::lfColumnClick(TObject* /*Sender*/, TListColumn* Column) {
  LfSortSpalte = Column->Index();
  LfSortAbsteigend = LfSortSpalte == LfLetzteSortSpalte ? 1 - LfSortAbsteigend : 0;
  LfLetzteSortSpalte = LfSortSpalte;
  lf->AlphaSort();
}

void Tlastfiles::lfCompare(TObject* /*Sender*/, TListItem* Item1, TListItem* Item2, intptr_t /*Data*/,
                           int& Compare) {
  if (LfSortAbsteigend == 1) std::swap(Item1, Item2);
  Compare = WideCompareText(SpaltenText(Item1, LfSortSpalte), SpaltenText(Item2, LfSortSpalte));
}
