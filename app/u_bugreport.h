#pragma once
// What the German and the English contact window share: the links to the support page and to software
// made to order, and the OK button.
#include "Imports/UCodeRepStdCtrls.h"
#include "app/u_funktionen.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TBugreportFenster : public TForm {
 public:
  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;
  // Deutsch chooses the addresses the links show.
  TBugreportFenster(TComponent* AOwner, bool Deutsch) : TForm(AOwner), FDeutsch(Deutsch) {}

  TLabel* lk_support = nullptr;
  TLabel* lk_auftrag = nullptr;
  TButton* Button1 = nullptr;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void BrowseToCaption(TObject* Sender);

 protected:
  // Registers the form class T, whose resource binds these handlers and fields by name.
  template <class T>
  static void Registrieren(const char* Name) {
    RegisterFormClass<T>(Name,
                         {MethodOf("FormCreate", &T::FormCreate), MethodOf("Button1Click", &T::Button1Click),
                          MethodOf("BrowseToCaption", &T::BrowseToCaption)},
                         {FieldOf("lk_support", &T::lk_support), FieldOf("lk_auftrag", &T::lk_auftrag),
                          FieldOf("Button1", &T::Button1)},
                         {UnicodeKlassen()});
  }

 private:
  bool FDeutsch;
};
