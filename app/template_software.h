#pragma once
// What the German and the English list of the maker's applications share: a scroll box with, for each
// application, a button that opens its page (the button's hint), its name and its description, and a
// link to the maker's site below.
#include <string>

#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/Forms.h"

class TSoftwareFrame : public TWinControl {
 public:
  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;
  // Box names the scroll box; Deutsch chooses the descriptions and addresses.
  TSoftwareFrame(TComponent* AOwner, const std::string& Box, bool Deutsch);

  TScrollBox* ScrollBox() const { return FScrollBox; }
  TLabel* SeitenLink() const { return FSeitenLink; }

  // An application's button: opens the page its hint names.
  void BrowseToHint(TObject* Sender);
  // The site link: opens the page its caption names.
  void BrowseToCaption(TObject* Sender);
  // The mouse over the box or a label in it gives the box the focus, so that the wheel scrolls it.
  void ScrollBoxMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void ScrollBoxMouseWheelDown(TObject* Sender, TShiftState Shift, POINT MousePos, bool& Handled);
  void ScrollBoxMouseWheelUp(TObject* Sender, TShiftState Shift, POINT MousePos, bool& Handled);

 private:
  TLabel* NeuesLabel(int Top, const std::wstring& Text);

  TScrollBox* FScrollBox;
  TLabel* FSeitenLink = nullptr;
};
