#include "classlib/FormReader.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <map>

#include "classlib/Collections.h"
#include "classlib/Jpeg.h"
#include "classlib/StringLists.h"
#include "classlib/Streams.h"

std::function<TComponent*(const std::string& Name)> FindGlobalComponent;

namespace {

std::map<std::string, TGraphicClass>& GraphicClassNames() {
  static std::map<std::string, TGraphicClass> Names{{"TBITMAP", GraphicClassOf<TBitmap>()},
                                                    {"TJPEGIMAGE", GraphicClassOf<TJPEGImage>()}};
  return Names;
}

bool SameText(const std::string& A, const std::string& B) {
  return UpperCase(A) == UpperCase(B);
}

bool IsIdentStart(char C) {
  return std::isalpha(static_cast<unsigned char>(C)) || C == '_';
}

bool IsIdentChar(char C) {
  return std::isalnum(static_cast<unsigned char>(C)) || C == '_' || C == '.';
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

}  // namespace

void RegisterGraphicClassName(const std::string& ClassName, TGraphicClass GraphicClass) {
  GraphicClassNames().insert_or_assign(UpperCase(ClassName), GraphicClass);
}

// ---------------------------------------------------------------------------------------------
// Tokens

enum TTokenKind { tokEnd, tokIdent, tokInteger, tokString, tokBinary, tokSymbol };

struct TReader::TToken {
  TTokenKind Kind = tokEnd;
  int Line = 0;
  std::string Text;   // identifier, or the 8-bit string
  std::wstring Wide;  // the string as UTF-16
  bool IsWide = false;
  int64_t Integer = 0;
  std::vector<uint8_t> Bytes;
  char Symbol = 0;
};

namespace {

class TTokenizer {
 public:
  TTokenizer(const std::string& Text, std::function<void(int, const std::string&)> Fail)
      : FText(Text), FFail(std::move(Fail)) {}

  template <class Token>
  std::vector<Token> Run() {
    std::vector<Token> Tokens;
    for (;;) {
      SkipBlanks();
      Token T;
      T.Line = FLine;
      if (FPos >= FText.size()) {
        Tokens.push_back(T);
        return Tokens;
      }
      const char C = FText[FPos];
      if (IsIdentStart(C)) {
        T.Kind = tokIdent;
        while (FPos < FText.size() && IsIdentChar(FText[FPos])) T.Text += FText[FPos++];
      } else if (std::isdigit(static_cast<unsigned char>(C)) || C == '$' ||
                 (C == '-' && FPos + 1 < FText.size() &&
                  (std::isdigit(static_cast<unsigned char>(FText[FPos + 1])) || FText[FPos + 1] == '$'))) {
        T.Kind = tokInteger;
        T.Integer = ReadNumber();
      } else if (C == '\'' || C == '#') {
        T.Kind = tokString;
        ReadString(T.Text, T.Wide, T.IsWide);
        // 'a' + 'b': one value over several lines.
        for (;;) {
          const size_t Saved = FPos;
          const int SavedLine = FLine;
          SkipBlanks();
          if (FPos < FText.size() && FText[FPos] == '+') {
            ++FPos;
            SkipBlanks();
            if (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
              ReadString(T.Text, T.Wide, T.IsWide);
              continue;
            }
            FFail(FLine, "String expected after +");
          }
          FPos = Saved;
          FLine = SavedLine;
          break;
        }
      } else if (C == '{') {
        T.Kind = tokBinary;
        T.Bytes = ReadBinary();
      } else if (std::string("=:[](),<>").find(C) != std::string::npos) {
        T.Kind = tokSymbol;
        T.Symbol = C;
        ++FPos;
      } else {
        FFail(FLine, Format("Invalid character '%s'", {std::string(1, C)}));
      }
      Tokens.push_back(T);
    }
  }

 private:
  void SkipBlanks() {
    while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') {
      if (FText[FPos] == '\n') ++FLine;
      ++FPos;
    }
  }

  int64_t ReadNumber() {
    const bool Negative = FText[FPos] == '-';
    if (Negative) ++FPos;
    int64_t Value = 0;
    bool Any = false;
    if (FText[FPos] == '$') {
      ++FPos;
      for (int D; FPos < FText.size() && (D = HexDigit(FText[FPos])) >= 0; ++FPos, Any = true)
        Value = Value * 16 + D;
    } else {
      for (; FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])); ++FPos, Any = true)
        Value = Value * 10 + (FText[FPos] - '0');
    }
    if (!Any || (FPos < FText.size() && IsIdentChar(FText[FPos]))) FFail(FLine, "Invalid number");
    return Negative ? -Value : Value;
  }

  // Quoted pieces and #nnn codes, adjacent without blanks.
  void ReadString(std::string& Narrow, std::wstring& Wide, bool& IsWide) {
    while (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
      if (FText[FPos] == '#') {
        ++FPos;
        if (FPos >= FText.size() || !std::isdigit(static_cast<unsigned char>(FText[FPos])))
          FFail(FLine, "Character code expected after #");
        const int64_t Code = ReadNumber();
        if (Code > 0xFFFF) FFail(FLine, "Character code out of range");
        if (Code > 255) IsWide = true;
        Narrow += static_cast<char>(Code);
        Wide += static_cast<wchar_t>(Code);
        continue;
      }
      ++FPos;
      std::string Piece;
      for (;;) {
        if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r')
          FFail(FLine, "Unterminated string");
        if (FText[FPos] == '\'') {
          if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
            Piece += '\'';
            FPos += 2;
            continue;
          }
          ++FPos;
          break;
        }
        Piece += FText[FPos++];
      }
      Narrow += Piece;
      Wide += AnsiToWide(Piece);
    }
  }

  std::vector<uint8_t> ReadBinary() {
    ++FPos;  // {
    std::vector<uint8_t> Bytes;
    int High = -1;
    for (;; ++FPos) {
      if (FPos >= FText.size()) FFail(FLine, "Unterminated binary data");
      const char C = FText[FPos];
      if (C == '}') break;
      if (C == '\n') ++FLine;
      if (static_cast<unsigned char>(C) <= ' ') continue;
      const int D = HexDigit(C);
      if (D < 0) FFail(FLine, "Invalid binary data");
      if (High < 0) {
        High = D;
      } else {
        Bytes.push_back(static_cast<uint8_t>(High * 16 + D));
        High = -1;
      }
    }
    ++FPos;
    if (High >= 0) FFail(FLine, "Odd number of hexadecimal digits");
    return Bytes;
  }

  const std::string& FText;
  std::function<void(int, const std::string&)> FFail;
  size_t FPos = 0;
  int FLine = 1;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// TReader

TReader::TReader(const std::string& Text, std::string SourceName) : FSourceName(std::move(SourceName)) {
  RegisterLibraryClasses();
  TTokenizer Tokenizer(Text, [this](int Line, const std::string& Message) {
    throw EReadError(Format("Error reading %s, line %d: %s", {FSourceName, Line, Message}));
  });
  FTokens = Tokenizer.Run<TToken>();
}

TReader::~TReader() = default;

void TReader::Error(const std::string& Message) const {
  throw EReadError(Format("Error reading %s, line %d: %s", {FSourceName, Token().Line, Message}));
}

const TReader::TToken& TReader::Token() const {
  return FTokens[FPos];
}

void TReader::Next() {
  if (FPos + 1 < FTokens.size()) ++FPos;
}

bool TReader::IsSymbol(char C) const {
  return Token().Kind == tokSymbol && Token().Symbol == C;
}

bool TReader::IsIdent(const char* Word) const {
  return Token().Kind == tokIdent && SameText(Token().Text, Word);
}

void TReader::Expect(char C) {
  if (!IsSymbol(C)) Error(Format("'%s' expected", {std::string(1, C)}));
  Next();
}

void TReader::ExpectIdent(const char* Word) {
  if (!IsIdent(Word)) Error(Format("'%s' expected", {Word}));
  Next();
}

std::string TReader::ReadName() {
  if (Token().Kind != tokIdent) Error("Identifier expected");
  std::string Name = Token().Text;
  Next();
  return Name;
}

void TReader::ReadRootComponent(TComponent* Root) {
  FRoot = Root;
  const TClassInfo* Info = GetClassInfo(Root);
  if (!Info) Error("The class " + Root->ClassName() + " is not registered");
  ExpectIdent("object");
  const std::string Name = ReadName();
  Expect(':');
  const std::string ClassName = ReadName();
  if (!SameText(ClassName, Info->Name)) Error("The form describes " + ClassName + ", not " + Info->Name);
  if (!Name.empty()) Root->SetName(Name);
  ReadBody(Root);
  if (Token().Kind != tokEnd) Error("End of form expected");
  ResolveFixups();
  BindFields();
}

void TReader::ReadBody(TComponent* Instance) {
  while (!IsIdent("object") && !IsIdent("end")) {
    if (Token().Kind == tokEnd) Error("'end' expected");
    ReadProperty(Instance);
  }
  while (IsIdent("object")) ReadComponent(Instance);
  ExpectIdent("end");
}

void TReader::ReadComponent(TComponent* ParentComponent) {
  ExpectIdent("object");
  const std::string Name = ReadName();
  Expect(':');
  const int Line = Token().Line;
  const std::string ClassName = ReadName();
  const TClassInfo* Info = FindFormComponentClass(GetClassInfo(FRoot), ClassName);
  if (!Info || !Info->Create) {
    --FPos;
    Error(Format("Class %s not found", {ClassName}));
  }
  TComponent* Child = Info->Create(FRoot);
  try {
    Child->SetName(Name);
    for (const TClassInfo* C = Info; C; C = C->Parent)
      if (C->SetParentComponent) {
        C->SetParentComponent(Child, ParentComponent);
        break;
      }
  } catch (const EReadError&) {
    throw;
  } catch (const Exception& E) {
    throw EReadError(Format(L"Error reading %s, line %d: %s", {FSourceName, Line, E.Message()}));
  }
  FRead.push_back(Child);
  ReadBody(Child);
}

void TReader::ReadProperty(TObject* Instance) {
  const size_t Start = FPos;
  std::string Path = ReadName();
  Expect('=');
  try {
    // Font.Name: the owned object first.
    size_t Dot;
    while ((Dot = Path.find('.')) != std::string::npos) {
      const TPropInfo* Prop = GetPropInfo(GetClassInfo(Instance), Path.substr(0, Dot));
      if (!Prop || Prop->Kind != tkClass)
        throw EReadError("Property " + Path.substr(0, Dot) + " does not exist");
      Instance = Prop->GetSubObject(Instance);
      Path.erase(0, Dot + 1);
    }
    if (const TPropInfo* Prop = GetPropInfo(GetClassInfo(Instance), Path)) {
      ReadPropValue(Instance, *Prop);
      return;
    }
    FPropName = Path;
    FPropHandled = false;
    if (auto* Persistent = dynamic_cast<TPersistent*>(Instance)) Persistent->DefineProperties(this);
    FPropName.clear();
    if (!FPropHandled && !ReadBuiltIn(Instance, Path))
      throw EReadError("Property " + Path + " does not exist");
  } catch (const EReadError& E) {
    if (E.Message().rfind(L"Error reading ", 0) == 0) throw;
    FPos = Start;
    Error(WideToAnsi(E.Message()));
  } catch (const Exception& E) {
    FPos = Start;
    Error(WideToAnsi(E.Message()));
  }
}

void TReader::ReadPropValue(TObject* Instance, const TPropInfo& Prop) {
  switch (Prop.Kind) {
    case tkInteger:
      if (NextValue() == vaIdent) {
        int64_t Value = 0;
        const std::string Ident = ReadIdent();
        if (!Prop.IdentToInt || !Prop.IdentToInt(Ident, Value))
          throw EReadError("Invalid property value " + Ident);
        Prop.SetOrd(Instance, Value);
      } else {
        Prop.SetOrd(Instance, ReadInt64());
      }
      break;
    case tkBoolean:
      Prop.SetOrd(Instance, ReadBoolean());
      break;
    case tkEnumeration: {
      const std::string Ident = ReadIdent();
      for (size_t I = 0; I < Prop.Names.size(); ++I)
        if (SameText(Prop.Names[I], Ident)) {
          Prop.SetOrd(Instance, static_cast<int64_t>(I));
          return;
        }
      throw EReadError("Invalid property value " + Ident);
    }
    case tkSet:
      Prop.SetOrd(Instance, ReadSet(Prop));
      break;
    case tkString:
      Prop.SetStr(Instance, ReadString());
      break;
    case tkWString:
      Prop.SetWideStr(Instance, ReadWideString());
      break;
    case tkWChar: {
      const std::wstring Value =
          NextValue() == vaInt32 ? std::wstring(1, static_cast<wchar_t>(ReadInteger())) : ReadWideString();
      if (Value.size() > 1) throw EReadError("Invalid property value");
      Prop.SetWideStr(Instance, Value);
      break;
    }
    case tkClass:
      if (NextValue() == vaNil) {
        ReadIdent();
      } else if (NextValue() == vaCollection) {
        ReadCollection(Prop.GetSubObject(Instance));
      } else {
        throw EReadError("Invalid property value");
      }
      break;
    case tkComponent: {
      const int Line = Token().Line;
      const std::string Name = ReadIdent();
      if (SameText(Name, "nil"))
        Prop.SetComponent(Instance, nullptr);
      else
        FFixups.push_back({Instance, &Prop, Name, Line});
      break;
    }
    case tkMethod: {
      const std::string Name = ReadIdent();
      const TMethodEntry* Method = FindMethod(GetClassInfo(FRoot), Name);
      if (!Method) throw EReadError(Format("Method %s not found in %s", {Name, FRoot->ClassName()}));
      Prop.SetMethod(Instance, Method->Bind(FRoot));
      break;
    }
  }
}

int64_t TReader::ReadSet(const TPropInfo& Prop) {
  if (NextValue() != vaSet) throw EReadError("Invalid property value");
  Next();
  int64_t Bits = 0;
  while (!IsSymbol(']')) {
    const std::string Ident = ReadName();
    size_t I = 0;
    while (I < Prop.Names.size() && !SameText(Prop.Names[I], Ident)) ++I;
    if (I == Prop.Names.size()) throw EReadError("Invalid property value " + Ident);
    Bits |= int64_t{1} << I;
    if (!IsSymbol(']')) Expect(',');
  }
  Next();
  return Bits;
}

void TReader::ReadCollection(TObject* Object) {
  auto* Collection = dynamic_cast<TCollection*>(Object);
  if (!Collection) throw EReadError("Invalid property value");
  Expect('<');
  Collection->BeginUpdate();
  try {
    Collection->Clear();
    while (!IsSymbol('>')) {
      ExpectIdent("item");
      TCollectionItem* Item = Collection->Add();
      while (!IsIdent("end")) {
        if (Token().Kind == tokEnd) Error("'end' expected");
        ReadProperty(Item);
      }
      Next();
    }
    Next();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

// Properties that the library's own persistent classes stream themselves.
bool TReader::ReadBuiltIn(TObject* Instance, const std::string& Name) {
  if (auto* Strings = dynamic_cast<TStrings*>(Instance); Strings && SameText(Name, "Strings")) {
    Strings->BeginUpdate();
    Strings->Clear();
    ReadListBegin();
    while (!EndOfList()) Strings->Add(ReadString());
    ReadListEnd();
    Strings->EndUpdate();
    return true;
  }
  if (auto* Picture = dynamic_cast<TPicture*>(Instance); Picture && SameText(Name, "Data")) {
    ReadPictureData(Picture);
    return true;
  }
  return false;
}

// The graphic's class name (a length byte and the name), then its data: a 32-bit size and the file.
void TReader::ReadPictureData(TPicture* Picture) {
  const std::vector<uint8_t> Data = ReadBinary();
  if (Data.empty()) throw EReadError("Invalid picture data");
  const size_t NameLength = Data[0];
  if (Data.size() < 1 + NameLength + 4) throw EReadError("Invalid picture data");
  const std::string ClassName(reinterpret_cast<const char*>(&Data[1]), NameLength);
  const auto It = GraphicClassNames().find(UpperCase(ClassName));
  if (It == GraphicClassNames().end()) throw EReadError("Unknown graphic class " + ClassName);
  uint32_t Size;
  std::memcpy(&Size, &Data[1 + NameLength], 4);
  const size_t Offset = 1 + NameLength + 4;
  if (Size > Data.size() - Offset) throw EReadError("Invalid picture data");
  TMemoryStream Stream;
  Stream.WriteBuffer(&Data[Offset], static_cast<int32_t>(Size));
  Stream.SetPosition(0);
  const std::unique_ptr<TGraphic> Graphic(It->second.Create());
  Graphic->LoadFromStream(&Stream);
  Picture->SetGraphic(Graphic.get());
}

void TReader::ResolveFixups() {
  for (const TFixup& Fixup : FFixups) {
    TComponent* Target = SameText(Fixup.Name, FRoot->Name()) ? FRoot : FRoot->FindComponent(Fixup.Name);
    if (!Target && Fixup.Name.find('.') != std::string::npos && FindGlobalComponent)
      Target = FindGlobalComponent(Fixup.Name);
    if (!Target)
      throw EReadError(Format("Error reading %s, line %d: Unresolved reference %s in property %s",
                              {FSourceName, Fixup.Line, Fixup.Name, Fixup.Prop->Name}));
    try {
      Fixup.Prop->SetComponent(Fixup.Instance, Target);
    } catch (const Exception& E) {
      throw EReadError(Format(L"Error reading %s, line %d: %s", {FSourceName, Fixup.Line, E.Message()}));
    }
  }
  FFixups.clear();
}

void TReader::BindFields() {
  for (const TClassInfo* C = GetClassInfo(FRoot); C; C = C->Parent)
    for (const TFieldEntry& Field : C->Fields) {
      TComponent* Component = FRoot->FindComponent(Field.Name);
      if (!Component)
        throw EReadError(Format("Error reading %s: component %s is missing", {FSourceName, Field.Name}));
      if (!Field.Set(FRoot, Component))
        throw EReadError(Format("Error reading %s: component %s has the wrong class %s",
                                {FSourceName, Field.Name, Component->ClassName()}));
    }
}

void TReader::DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                             const TWriterProc& /*WriteData*/, bool /*HasData*/) {
  if (FPropHandled || !ReadData || !SameText(Name, FPropName)) return;
  FPropHandled = true;
  ReadData(this);
}

void TReader::DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                   const TStreamProc& /*WriteData*/, bool /*HasData*/) {
  if (FPropHandled || !ReadData || !SameText(Name, FPropName)) return;
  FPropHandled = true;
  const std::vector<uint8_t> Data = ReadBinary();
  TMemoryStream Stream;
  if (!Data.empty()) Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream.SetPosition(0);
  ReadData(&Stream);
}

TValueType TReader::NextValue() {
  const TToken& T = Token();
  switch (T.Kind) {
    case tokInteger:
      return T.Integer >= INT32_MIN && T.Integer <= INT32_MAX ? vaInt32 : vaInt64;
    case tokString:
      return T.IsWide ? vaWString : vaString;
    case tokBinary:
      return vaBinary;
    case tokIdent:
      if (SameText(T.Text, "True")) return vaTrue;
      if (SameText(T.Text, "False")) return vaFalse;
      if (SameText(T.Text, "nil")) return vaNil;
      return vaIdent;
    case tokSymbol:
      switch (T.Symbol) {
        case '(':
          return vaList;
        case '[':
          return vaSet;
        case '<':
          return vaCollection;
        case ')':
        case '>':
          return vaNull;
        default:
          break;
      }
      break;
    case tokEnd:
      break;
  }
  Error("Value expected");
}

std::string TReader::ReadString() {
  const TValueType Type = NextValue();
  if (Type != vaString && Type != vaWString) Error("String expected");
  std::string Value = Type == vaWString ? WideToAnsi(Token().Wide) : Token().Text;
  Next();
  return Value;
}

std::wstring TReader::ReadWideString() {
  const TValueType Type = NextValue();
  if (Type != vaString && Type != vaWString) Error("String expected");
  std::wstring Value = Token().Wide;
  Next();
  return Value;
}

int TReader::ReadInteger() {
  if (NextValue() != vaInt32) Error("Integer expected");
  const auto Value = static_cast<int>(Token().Integer);
  Next();
  return Value;
}

int64_t TReader::ReadInt64() {
  const TValueType Type = NextValue();
  if (Type != vaInt32 && Type != vaInt64) Error("Integer expected");
  const int64_t Value = Token().Integer;
  Next();
  return Value;
}

bool TReader::ReadBoolean() {
  const TValueType Type = NextValue();
  if (Type != vaTrue && Type != vaFalse) Error("Boolean expected");
  Next();
  return Type == vaTrue;
}

std::string TReader::ReadIdent() {
  if (Token().Kind != tokIdent) Error("Identifier expected");
  std::string Value = Token().Text;
  Next();
  return Value;
}

std::vector<uint8_t> TReader::ReadBinary() {
  if (NextValue() != vaBinary) Error("Binary data expected");
  std::vector<uint8_t> Value = Token().Bytes;
  Next();
  return Value;
}

void TReader::ReadListBegin() {
  Expect('(');
}

bool TReader::EndOfList() {
  if (Token().Kind == tokEnd) Error("')' expected");
  return IsSymbol(')') || IsSymbol('>');
}

void TReader::ReadListEnd() {
  Expect(')');
}

void TReader::SkipValue() {
  switch (NextValue()) {
    case vaList:
      ReadListBegin();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaSet:
      Next();
      while (!IsSymbol(']')) {
        ReadName();
        if (!IsSymbol(']')) Expect(',');
      }
      Next();
      break;
    case vaCollection:
      Next();
      while (!IsSymbol('>')) {
        ExpectIdent("item");
        while (!IsIdent("end")) {
          ReadName();
          Expect('=');
          SkipValue();
        }
        Next();
      }
      Next();
      break;
    case vaNull:
      Error("Value expected");
    default:
      Next();
      break;
  }
}

void ReadComponentRes(const std::string& ResourceName, TComponent* Root) {
  const HMODULE Module = GetModuleHandleA(nullptr);
  const HRSRC Info = FindResourceA(Module, ResourceName.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  const HGLOBAL Data = Info ? LoadResource(Module, Info) : nullptr;
  if (!Data) throw EResNotFound(Format("Resource %s not found", {ResourceName}));
  const auto* Bytes = static_cast<const char*>(LockResource(Data));
  TReader Reader(std::string(Bytes, SizeofResource(Module, Info)), ResourceName);
  Reader.ReadRootComponent(Root);
}
