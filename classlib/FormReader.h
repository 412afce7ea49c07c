#pragma once
// Reading forms from their text descriptions: "object Name: TClass", property lines "Name = value",
// nested objects, "end". Values: integers, identifiers (enumerations, True/False, nil, component
// references, handler names), sets [a, b], strings 'text'#13#10 (joined by +; a #nnnn above 255 makes a
// wide string), lists ( ... ), collections < item ... end >, and binary data { hex }.
//
// A name that is not a published property is offered to the instance's DefineProperties, as by every
// filer. References by name are resolved after the whole form is read; fields of the root's class are
// then set to the components of the same names.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

class TReader;
class TWriter;
class TStream;

VELMARO_EXCEPTION(EResNotFound, Exception);

enum TValueType {
  vaNull,  // the end of a list or collection
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,
  vaInt64,
  vaUTF8String,
};

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

class TFiler : public TObject {
 public:
  // Declares a property that DefineProperties streams itself; HasData tells a writer whether to write it.
  virtual void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  virtual void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;
  // The component being read (the form); nullptr outside a reading.
  TComponent* Root() const { return FRoot; }

 protected:
  TComponent* FRoot = nullptr;
};

class TReader : public TFiler {
 public:
  // SourceName names the text in error messages (the resource name).
  TReader(const std::string& Text, std::string SourceName);
  ~TReader() override;

  // Reads the whole text into Root, whose registered class must be the one the text names.
  // Every fault raises EReadError with the source name and the line.
  void ReadRootComponent(TComponent* Root);

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;
  // The property being read (while DefineProperties runs, the name asked for).
  const std::string& PropName() const { return FPropName; }

  // The type of the next value, without reading it.
  TValueType NextValue();
  std::string ReadString();       // a wide value is converted to the system code page
  std::wstring ReadWideString();  // an 8-bit value is converted from the system code page
  int ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  std::string ReadIdent();  // also True, False and nil
  std::vector<uint8_t> ReadBinary();
  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  void SkipValue();

  // Raises EReadError naming the source and the current line.
  [[noreturn]] void Error(const std::string& Message) const;

 private:
  struct TToken;
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    std::string Name;
    int Line;
  };

  const TToken& Token() const;
  void Next();
  bool IsSymbol(char C) const;
  bool IsIdent(const char* Word) const;
  void Expect(char C);
  void ExpectIdent(const char* Word);
  std::string ReadName();
  void ReadBody(TComponent* Instance);
  void ReadComponent(TComponent* ParentComponent);
  void ReadProperty(TObject* Instance);
  void ReadPropValue(TObject* Instance, const TPropInfo& Prop);
  int64_t ReadSet(const TPropInfo& Prop);
  void ReadCollection(TObject* Collection);
  bool ReadBuiltIn(TObject* Instance, const std::string& Name);
  void ReadPictureData(TPicture* Picture);
  void ResolveFixups();
  void BindFields();

  std::string FSourceName;
  std::vector<TToken> FTokens;
  size_t FPos = 0;
  std::string FPropName;
  bool FPropHandled = false;
  std::vector<TFixup> FFixups;
  std::vector<TComponent*> FRead;
};

// Finds a component by a qualified name "Form.Component" outside the form being read; set by the
// application to search its forms.
extern std::function<TComponent*(const std::string& Name)> FindGlobalComponent;

// Registers every class of the library that forms name (once); the reader calls it.
void RegisterLibraryClasses();

// Picture data in a form names its graphic class; TBitmap and TJPEGImage are known.
void RegisterGraphicClassName(const std::string& ClassName, TGraphicClass GraphicClass);

// Reads Root from the RCDATA resource named ResourceName of the program; EResNotFound
// "Resource %s not found" when there is none.
void ReadComponentRes(const std::string& ResourceName, TComponent* Root);
