#pragma once
// The speed button, drawn without a window as on a tool bar, and the push button with a bitmap.
#include <memory>

#include "classlib/Graphics.h"
#include "classlib/StdCtrls.h"

class TSpeedButtonActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
};

// A push-button face with the caption in its middle; a click on it fires OnClick.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  void Paint(TCanvas* Canvas) override;

 protected:
  void Dispatch(TMessage& Message) override;
  TControlActionLinkClass GetActionLinkClass() override { return NewActionLink<TSpeedButtonActionLink>; }
};

class TBitBtnActionLink : public TButtonActionLink {
 public:
  using TButtonActionLink::TButtonActionLink;
};

// A push button that shows Glyph beside its caption.
class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  TBitmap* Glyph() { return FGlyph.get(); }

 protected:
  void CreateWnd() override;
  TControlActionLinkClass GetActionLinkClass() override { return NewActionLink<TBitBtnActionLink>; }

 private:
  // The window shows a copy: the glyph's own bitmap may be selected into its canvas.
  void ShowGlyph();
  std::unique_ptr<TBitmap> FGlyph;
  HBITMAP FShown = nullptr;
};
