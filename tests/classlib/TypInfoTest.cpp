#include "classlib/TypInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/classlib/RaisedMessage.h"

namespace {

class TGadget : public TComponent {
 public:
  using TComponent::TComponent;
  int Size = 0;
  TComponent* Link = nullptr;
  TNotifyEvent OnPing;
};

class TBigGadget : public TGadget {
 public:
  using TGadget::TGadget;
  std::string Label;
};

class TUnlisted : public TBigGadget {
 public:
  using TBigGadget::TBigGadget;
};

// A form-like class with one handler method and one component field.
class THolder : public TComponent {
 public:
  using TComponent::TComponent;
  void Ping(TObject* Sender) { Pinged.push_back(Sender); }
  void Reset() { Pinged.clear(); }
  std::vector<TObject*> Pinged;
  TGadget* Gadget = nullptr;
};

const TClassInfo& GadgetInfo() {
  using namespace Published;
  static const TClassInfo Info = MakeClassInfo<TGadget>(
      "TGadget", GetClass("TComponent"),
      {Int<TGadget>(
           "Size", [](TGadget* G) { return G->Size; },
           [](TGadget* G, int64_t V) { G->Size = static_cast<int>(V); }),
       Component<TGadget, TGadget>(
           "Link", [](TGadget* G) { return G->Link; }, [](TGadget* G, TGadget* V) { G->Link = V; }),
       Event<TGadget>("OnPing", &TGadget::OnPing)});
  return Info;
}

const TClassInfo& BigGadgetInfo() {
  using namespace Published;
  static const TClassInfo Info =
      MakeClassInfo<TBigGadget>("TBigGadget", &GadgetInfo(),
                                {Str<TBigGadget>(
                                    "Label", [](TBigGadget* G) { return G->Label; },
                                    [](TBigGadget* G, const std::string& V) { G->Label = V; })});
  return Info;
}

struct TRegistered {
  TRegistered() {
    FormClassInfo();  // the library's classes
    RegisterClass(&GadgetInfo());
    RegisterClass(&BigGadgetInfo());
  }
};

TEST(TypInfoRegistry, ClassesAreFoundByNameWithoutCaseAndByInstance) {
  TRegistered Registered;
  EXPECT_EQ(FindClass("tbiggadget"), &BigGadgetInfo());
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  EXPECT_EQ(MessageOf<EClassNotFound>([] { FindClass("TNoSuchClass"); }), L"Class TNoSuchClass not found");

  // A second registration under a known name keeps the first.
  static const TClassInfo Impostor = MakeClassInfo<TUnlisted>("TGadget", nullptr, {});
  RegisterClass(&Impostor);
  EXPECT_EQ(GetClass("TGadget"), &GadgetInfo());

  TBigGadget Big(nullptr);
  TUnlisted Unlisted(nullptr);
  EXPECT_EQ(GetClassInfo(&Big), &BigGadgetInfo());
  EXPECT_EQ(GetClassInfo(static_cast<TComponent*>(&Big)), &BigGadgetInfo());
  EXPECT_EQ(GetClassInfo(nullptr), nullptr);
  EXPECT_TRUE(BigGadgetInfo().InheritsFrom(GetClass("TComponent")));
  EXPECT_FALSE(GadgetInfo().InheritsFrom(&BigGadgetInfo()));

  // The factory makes an owned instance of the class itself.
  TComponent Owner(nullptr);
  TComponent* Made = BigGadgetInfo().Create(&Owner);
  EXPECT_NE(dynamic_cast<TBigGadget*>(Made), nullptr);
  EXPECT_EQ(Owner.ComponentCount(), 1);
}

TEST(TypInfoProperties, LookUpWalksParentsAndListsThemFirst) {
  TRegistered Registered;
  EXPECT_EQ(GetPropInfo(&BigGadgetInfo(), "size"), &GadgetInfo().Props[0]);
  EXPECT_EQ(GetPropInfo(&BigGadgetInfo(), "TAG")->Kind, tkInteger);
  EXPECT_EQ(GetPropInfo(&GadgetInfo(), "Label"), nullptr);
  std::vector<std::string> Names;
  for (const TPropInfo* P : GetPropList(&BigGadgetInfo())) Names.push_back(P->Name);
  EXPECT_EQ(Names, (std::vector<std::string>{"Tag", "Size", "Link", "OnPing", "Label"}));

  // The library's own classes publish what forms set.
  struct TCase {
    const char* Class;
    const char* Prop;
    TTypeKind Kind;
  };
  for (const TCase& C :
       {TCase{"TButton", "Caption", tkString}, TCase{"TListView", "Columns", tkClass},
        TCase{"TListView", "OnData", tkMethod}, TCase{"TForm", "Menu", tkComponent},
        TCase{"TForm", "BorderStyle", tkEnumeration}, TCase{"TFont", "Style", tkSet},
        TCase{"TTrackBar", "OnChange", tkMethod}, TCase{"TMenuItem", "ShortCut", tkInteger}}) {
    const TPropInfo* Info = GetPropInfo(FindClass(C.Class), C.Prop);
    ASSERT_NE(Info, nullptr) << C.Class << "." << C.Prop;
    EXPECT_EQ(Info->Kind, C.Kind) << C.Class << "." << C.Prop;
  }
}

TEST(TypInfoProperties, AccessorsCheckTheClassOfWhatTheySet) {
  TRegistered Registered;
  TBigGadget Big(nullptr);
  TGadget Other(nullptr);
  Other.SetName("Other");
  TComponent Plain(nullptr);
  Plain.SetName("Plain");
  GetPropInfo(&BigGadgetInfo(), "Size")->SetOrd(&Big, 12);
  GetPropInfo(&BigGadgetInfo(), "Label")->SetStr(&Big, "x\xe4");
  EXPECT_EQ(GetPropInfo(&BigGadgetInfo(), "Size")->GetOrd(&Big), 12);
  EXPECT_EQ(GetPropInfo(&BigGadgetInfo(), "Label")->GetStr(&Big), "x\xe4");

  const TPropInfo* Link = GetPropInfo(&BigGadgetInfo(), "Link");
  Link->SetComponent(&Big, &Other);
  EXPECT_EQ(Link->GetComponent(&Big), &Other);
  EXPECT_EQ(MessageOf<EPropertyError>([&] { Link->SetComponent(&Big, &Plain); }),
            L"Invalid property value for Link: Plain");
  EXPECT_EQ(Big.Link, &Other);
  Link->SetComponent(&Big, nullptr);
  EXPECT_EQ(Big.Link, nullptr);

  // Handlers bind to one instance; a handler of another event type is refused.
  THolder Holder(nullptr);
  const TMethodEntry Ping = MethodOf("Ping", &THolder::Ping);
  const TPropInfo* OnPing = GetPropInfo(&BigGadgetInfo(), "onping");
  OnPing->SetMethod(&Big, Ping.Bind(&Holder));
  Big.OnPing(&Other);
  EXPECT_EQ(Holder.Pinged, std::vector<TObject*>{&Other});
  const TMethodEntry Wrong = MethodOf("Reset", &THolder::Reset);
  EXPECT_EQ(MessageOf<EPropertyError>([&] { OnPing->SetMethod(&Big, Wrong.Bind(&Holder)); }),
            L"Handler of the wrong type for event OnPing");

  const TFieldEntry Field = FieldOf("Gadget", &THolder::Gadget);
  EXPECT_FALSE(Field.Set(&Holder, &Plain));
  EXPECT_EQ(Holder.Gadget, nullptr);
  EXPECT_TRUE(Field.Set(&Holder, &Big));
  EXPECT_EQ(Holder.Gadget, &Big);
}

TEST(TypInfoForms, FormClassesFindTheirHandlersAndInheritTheFormsProperties) {
  struct TPlayerForm : TForm {
    using TForm::TForm;
    void Play(TObject*) {}
    TButton* PlayButton = nullptr;
  };
  RegisterFormClass<TPlayerForm>("TPlayerForm", {MethodOf("Play", &TPlayerForm::Play)},
                                 {FieldOf("PlayButton", &TPlayerForm::PlayButton)});
  const TClassInfo* Info = FindClass("TPlayerForm");
  EXPECT_TRUE(Info->InheritsFrom(FormClassInfo()));
  EXPECT_NE(FindMethod(Info, "PLAY"), nullptr);
  EXPECT_EQ(FindMethod(Info, "Stop"), nullptr);
  EXPECT_EQ(GetPropInfo(Info, "ClientWidth")->Kind, tkInteger);
  EXPECT_EQ(Info->Fields.size(), 1u);
  TPlayerForm Form(nullptr);
  EXPECT_EQ(GetClassInfo(&Form), Info);
}

}  // namespace
