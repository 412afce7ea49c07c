#include "audio/cbAudioPlay.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/MessagePump.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

// Freed memory is overwritten, so that an engine used after the next-song command freed it fails loudly.
// Every form is replaced: one left out would bring in the program's own memory manager with all of its
// forms, whose scalar ones clash with these.
void* operator new(size_t Size) {
  if (void* P = std::malloc(Size ? Size : 1)) return P;
  throw std::bad_alloc();
}
void* operator new[](size_t Size) {
  return operator new(Size);
}
void* operator new(size_t Size, const std::nothrow_t&) noexcept {
  return std::malloc(Size ? Size : 1);
}
void* operator new[](size_t Size, const std::nothrow_t&) noexcept {
  return std::malloc(Size ? Size : 1);
}
// new above takes its memory from malloc, so free is the right partner whatever the optimiser thinks.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* P) noexcept {
  if (!P) return;
  std::memset(P, 0xDD, _msize(P));
  std::free(P);
}
#pragma GCC diagnostic pop
void operator delete(void* P, size_t /*Size*/) noexcept {
  operator delete(P);
}
void operator delete[](void* P) noexcept {
  operator delete(P);
}
void operator delete[](void* P, size_t /*Size*/) noexcept {
  operator delete(P);
}
void operator delete(void* P, const std::nothrow_t&) noexcept {
  operator delete(P);
}
void operator delete[](void* P, const std::nothrow_t&) noexcept {
  operator delete(P);
}

namespace {

constexpr int64_t OneSecond = 10000000;

std::wstring Fixture(const wchar_t* Name) {
  return FixtureFolder(L"AUDIO_FIXTURES") + L"\\" + Name;
}

// Gives access to the graph of an engine.
class TGraphProbe : public TcbAudioPlay {
 public:
  using TcbAudioPlay::TcbAudioPlay;
  IGraphBuilder* Graph() const { return FGraph.Get(); }
  void SetMediaControl(IMediaControl* Control) {
    FMediaControl.Reset();
    *FMediaControl.Put() = Control;
    Control->AddRef();
  }
  IMediaControl* MediaControl() const { return FMediaControl.Get(); }
  // True when the graph holds a filter of that name with a connected pin.
  bool HasConnectedFilter(const wchar_t* Name) {
    TComPtr<IBaseFilter> Filter;
    return SUCCEEDED(FGraph->FindFilterByName(Name, Filter.Put())) && IsFilterConnected(Filter.Get());
  }
  void Notify(long Code, LONG_PTR Param1) {
    TComPtr<IMediaEventSink> Sink;
    ASSERT_EQ(FGraph.As(IID_IMediaEventSink, Sink), S_OK);
    Sink->Notify(Code, Param1, 0);
  }
};

// Counts what the next-song seam hears, and frees the engine there as the player window does.
struct TSongEnds {
  TSongEnds() {
    PlayerNextSong = [this](const EcbAudioPlayError* Failure) {
      ++Calls;
      if (Failure) Failures.push_back({Failure->Message(), Failure->ErrorCode});
      delete Engine;
      Engine = nullptr;
    };
  }
  ~TSongEnds() {
    PlayerNextSong = nullptr;
    delete Engine;
  }
  bool WaitForCall(DWORD TimeoutMs) {
    return PumpMessagesUntil([this] { return Calls > 0; }, TimeoutMs);
  }
  TGraphProbe* Engine = nullptr;
  int Calls = 0;
  std::vector<std::pair<std::wstring, int>> Failures;
};

template <class F>
EcbAudioPlayError RaisedBy(F Call) {
  try {
    Call();
  } catch (const EcbAudioPlayError& E) {
    return E;
  }
  return EcbAudioPlayError("(no error)", 0);
}

// ---------------------------------------------------------------------------------------------
// Results

DWORD WINAPI NoText(HRESULT, LPSTR, DWORD) {
  return 0;
}

HRESULT LastAsked = 0;
DWORD LastSize = 0;
DWORD WINAPI FakeText(HRESULT hr, LPSTR Buffer, DWORD MaxLen) {
  LastAsked = hr;
  LastSize = MaxLen;
  std::strcpy(Buffer, "Platform text.");
  return 14;
}

struct TDSCheckCase {
  uint32_t Result;
  const wchar_t* Message;
};

TEST(cbAudioPlayDSCheck, MessagesNameTheResultAndItsText) {
  const TDSCheckCase Cases[] = {
      {0x80070057, L"DirectShow call failed: 80070057\rOne of the parameters is invalid."},
      {0x00040001, L"DirectShow call failed: 40001\rThe asynchronous update is pending."},
      {0x80040154,
       L"DirectShow call failed: 80040154\rA specified class is not registered in the registration "
       L"database."},
      {0x80004004, L"DirectShow call failed: 80004004\rThe update aborted."},
      {0x8004040A,
       L"DirectShow call failed: 8004040A\rThe IMultiMediaStream object is not in running state."},
      {0x00040003,
       L"DirectShow call failed: 40003\rReached the end of the stream; the sample wasn't updated."},
      // Outside the table: the platform's text, here a fake one.
      {0x8004D00A, L"DirectShow call failed: 8004D00A\rPlatform text."},
      {0x00000002, L"DirectShow call failed: 2\rPlatform text."},
      {0x0000ABCD, L"DirectShow call failed: ABCD\rPlatform text."},
  };
  const TDSErrorTextFunc Saved = DSErrorText;
  DSErrorText = FakeText;
  for (const TDSCheckCase& Case : Cases) {
    const auto hr = static_cast<HRESULT>(Case.Result);
    const EcbAudioPlayError E = RaisedBy([&] { DSCheck(hr); });
    EXPECT_EQ(E.Message(), Case.Message);
    EXPECT_EQ(E.ErrorCode, hr);
  }
  EXPECT_EQ(LastAsked, 0x0000ABCD);
  EXPECT_EQ(LastSize, 300u);
  DSErrorText = NoText;
  EXPECT_EQ(RaisedBy([] { DSCheck(static_cast<HRESULT>(0x8004D00A)); }).Message(),
            L"DirectShow call failed: 8004D00A\rUnrecognized error value.");
  DSErrorText = Saved;
}

TEST(cbAudioPlayDSCheck, OnlyZeroAndOnePass) {
  EXPECT_NO_THROW(DSCheck(S_OK));
  EXPECT_NO_THROW(DSCheck(S_FALSE));
  EXPECT_THROW(DSCheck(2), EcbAudioPlayError);
  EXPECT_THROW(DSCheck(static_cast<HRESULT>(0x00040242)), EcbAudioPlayError);  // VFW_S_PARTIAL_RENDER
  EXPECT_THROW(DSCheck(E_FAIL), EcbAudioPlayError);

  EXPECT_TRUE(DSSucceeded(0x00040242));
  EXPECT_FALSE(DSSucceeded(static_cast<HRESULT>(0x80000000)));
}

// ---------------------------------------------------------------------------------------------
// Devices

// A property bag with what a device offers.
class TFakeBag : public IPropertyBag {
 public:
  TFakeBag(const wchar_t* AClsid, const wchar_t* AName) : Clsid(AClsid), Name(AName) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR Property, VARIANT* Value, IErrorLog*) override {
    const wchar_t* Text = std::wcscmp(Property, L"CLSID") == 0 ? Clsid : Name;
    if (!Text) return E_FAIL;
    Value->vt = VT_BSTR;
    Value->bstrVal = SysAllocString(Text);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
  const wchar_t* Clsid;
  const wchar_t* Name;
};

#define NOT_IMPLEMENTED(Signature)               \
  HRESULT STDMETHODCALLTYPE Signature override { \
    return E_NOTIMPL;                            \
  }

// A device moniker whose storage is Bag, or cannot be bound when Bag is null.
class TFakeMoniker : public IMoniker {
 public:
  explicit TFakeMoniker(TFakeBag* ABag) : Bag(ABag) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID, void** ppv) override {
    *ppv = Bag;
    return Bag ? S_OK : E_FAIL;
  }
  NOT_IMPLEMENTED(GetClassID(CLSID*))
  NOT_IMPLEMENTED(IsDirty())
  NOT_IMPLEMENTED(Load(IStream*))
  NOT_IMPLEMENTED(Save(IStream*, BOOL))
  NOT_IMPLEMENTED(GetSizeMax(ULARGE_INTEGER*))
  NOT_IMPLEMENTED(BindToObject(IBindCtx*, IMoniker*, REFIID, void**))
  NOT_IMPLEMENTED(Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**))
  NOT_IMPLEMENTED(ComposeWith(IMoniker*, BOOL, IMoniker**))
  NOT_IMPLEMENTED(Enum(BOOL, IEnumMoniker**))
  NOT_IMPLEMENTED(IsEqual(IMoniker*))
  NOT_IMPLEMENTED(Hash(DWORD*))
  NOT_IMPLEMENTED(IsRunning(IBindCtx*, IMoniker*, IMoniker*))
  NOT_IMPLEMENTED(GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*))
  NOT_IMPLEMENTED(Inverse(IMoniker**))
  NOT_IMPLEMENTED(CommonPrefixWith(IMoniker*, IMoniker**))
  NOT_IMPLEMENTED(RelativePathTo(IMoniker*, IMoniker**))
  NOT_IMPLEMENTED(GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*))
  NOT_IMPLEMENTED(ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**))
  NOT_IMPLEMENTED(IsSystemMoniker(DWORD*))
  TFakeBag* Bag;
};

class TFakeMonikers : public IEnumMoniker {
 public:
  explicit TFakeMonikers(std::vector<TFakeMoniker*> AItems) : Items(std::move(AItems)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Next(ULONG, IMoniker** Item, ULONG*) override {
    if (Index >= Items.size()) return S_FALSE;
    *Item = Items[Index++];
    return S_OK;
  }
  NOT_IMPLEMENTED(Skip(ULONG))
  NOT_IMPLEMENTED(Reset())
  NOT_IMPLEMENTED(Clone(IEnumMoniker**))
  std::vector<TFakeMoniker*> Items;
  size_t Index = 0;
};

TEST(cbAudioPlayDevices, UnreadableDevicesAreSkippedNotTheRest) {
  TFakeBag Named(L"{A}", L"Speakers");
  TFakeBag NoName(L"{B}", nullptr);
  TFakeBag NoClsid(nullptr, L"Ghost");
  TFakeBag Twin(L"{C}", L"Speakers");
  TFakeMoniker Unbindable(nullptr), M1(&Named), M2(&NoName), M3(&NoClsid), M4(&Twin);
  TFakeMonikers Monikers({&Unbindable, &M1, &M2, &M3, &M4});
  std::vector<std::wstring> Names;
  std::vector<IMoniker*> Devices;
  EnumDeviceMonikers(&Monikers, [&](IMoniker* Device, const std::wstring& Name) {
    Names.push_back(Name);
    Devices.push_back(Device);
    return true;
  });
  EXPECT_EQ(Names, (std::vector<std::wstring>{L"Speakers", L"{B}", L"Speakers"}));
  EXPECT_EQ(Devices, (std::vector<IMoniker*>{&M1, &M2, &M4}));

  // Each stops the enumeration by returning false: the first of two namesakes is the one found.
  Monikers.Index = 0;
  Devices.clear();
  EnumDeviceMonikers(&Monikers, [&](IMoniker* Device, const std::wstring& Name) {
    if (Name != L"Speakers") return true;
    Devices.push_back(Device);
    return false;
  });
  EXPECT_EQ(Devices, std::vector<IMoniker*>{&M1});
}

TEST(cbAudioPlayDevices, ListedAtStartAndEmptyWithoutEnumerator) {
  ASSERT_FALSE(AudioDevices.empty()) << "no audio renderer: is the ALSA null device configured?";
  const std::vector<std::wstring> AtStart = AudioDevices;
  EnumAudioDevices();
  EXPECT_EQ(AudioDevices, AtStart);
  // A thread without COM cannot create the device enumerator.
  std::thread([] { EnumAudioDevices(); }).join();
  EXPECT_TRUE(AudioDevices.empty());
  AudioDevices = AtStart;
}

// ---------------------------------------------------------------------------------------------
// Playback

// The graph's own IMediaControl, watched: counts Stop; when Stuck, the graph never reaches a state.
class TControlSpy : public IMediaControl {
 public:
  explicit TControlSpy(IGraphBuilder* Graph) { Graph->QueryInterface(IID_IMediaControl, Inner.PutVoid()); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return Inner->QueryInterface(riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  NOT_IMPLEMENTED(GetTypeInfoCount(UINT*))
  NOT_IMPLEMENTED(GetTypeInfo(UINT, LCID, ITypeInfo**))
  NOT_IMPLEMENTED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
  NOT_IMPLEMENTED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))
  HRESULT STDMETHODCALLTYPE Run() override { return Inner->Run(); }
  HRESULT STDMETHODCALLTYPE Pause() override { return Inner->Pause(); }
  HRESULT STDMETHODCALLTYPE Stop() override {
    ++Stops;
    return Inner->Stop();
  }
  HRESULT STDMETHODCALLTYPE GetState(LONG Timeout, OAFilterState* State) override {
    if (!Stuck) return Inner->GetState(Timeout, State);
    Sleep(static_cast<DWORD>(Timeout));
    *State = State_Stopped;
    return VFW_S_STATE_INTERMEDIATE;
  }
  NOT_IMPLEMENTED(RenderFile(BSTR))
  NOT_IMPLEMENTED(AddSourceFilter(BSTR, IDispatch**))
  NOT_IMPLEMENTED(get_FilterCollection(IDispatch**))
  NOT_IMPLEMENTED(get_RegFilterCollection(IDispatch**))
  NOT_IMPLEMENTED(StopWhenReady())
  TComPtr<IMediaControl> Inner;
  bool Stuck = false;
  int Stops = 0;
};

struct TPlayCase {
  const wchar_t* File;
  int64_t Tolerance;  // one frame of the format, in 100-ns units
  bool Video;         // its video stream goes to the null renderer
};

TEST(cbAudioPlayPlayback, EachFormatPlaysToItsEndAndCallsTheSeamOnce) {
  const int64_t Frame1152 = 1152 * OneSecond / 44100;
  const int64_t Frame2048 = 2048 * OneSecond / 44100;
  const TPlayCase Cases[] = {
      {L"tone.wav", 1000, false},
      {L"plain.mp3", Frame1152, false},
      {L"plain.ogg", Frame2048, false},
      {L"tagged.wma", Frame2048, false},
      {L"av.avi", 1000, true},
      {L"subtitled.mkv", Frame2048, false},  // RenderFile answers VFW_S_PARTIAL_RENDER
  };
  for (const TPlayCase& Case : Cases) {
    TRACE_CASE(testing::Message() << Case.File);
    TSongEnds Ends;
    std::atomic<int> Buffers{0};
    Ends.Engine = new TGraphProbe(nullptr, Fixture(Case.File), -1);
    EXPECT_NEAR(static_cast<double>(Ends.Engine->Duration), static_cast<double>(OneSecond),
                static_cast<double>(Case.Tolerance));
    EXPECT_TRUE(Ends.Engine->GrabberAvailable);
    EXPECT_EQ(Ends.Engine->HasConnectedFilter(L"Void render"), Case.Video);
    EXPECT_GE(Ends.Engine->WaveFormat.size(), sizeof(WAVEFORMATEX));
    Ends.Engine->OnBuffer = [&](TObject*, BYTE*, long Length) {
      if (Length > 0) ++Buffers;
    };
    EXPECT_EQ(Ends.Engine->State, 0);
    const ULONGLONG Start = GetTickCount64();
    Ends.Engine->Play();
    EXPECT_EQ(Ends.Engine->State, 2);
    ASSERT_TRUE(Ends.WaitForCall(6000));
    EXPECT_GE(GetTickCount64() - Start, 700u);  // real time, not at once
    PumpMessagesFor(300);
    EXPECT_EQ(Ends.Calls, 1);
    EXPECT_TRUE(Ends.Failures.empty());
    EXPECT_GT(Buffers.load(), 0);
  }
}

TEST(cbAudioPlayPlayback, PauseAndPlayChangeStateAndSeekingReachesTheEnd) {
  TSongEnds Ends;
  Ends.Engine = new TGraphProbe(nullptr, Fixture(L"long.mp3"), -1);
  TcbAudioPlay& Engine = *Ends.Engine;
  EXPECT_NEAR(static_cast<double>(Engine.Duration), 10.0 * OneSecond, 1152.0 * OneSecond / 44100);
  EXPECT_EQ(Engine.Capabilities & 0x21, 0x21u);
  GUID Format;
  Engine.GetTimeFormat(Format);
  EXPECT_TRUE(IsEqualGUID(Format, TIME_FORMAT_MEDIA_TIME));

  Engine.Play();
  PumpMessagesFor(200);
  Engine.Pause();
  EXPECT_EQ(Engine.State, 1);
  const int64_t Paused = Engine.GetPosition();
  EXPECT_GT(Paused, 0);
  PumpMessagesFor(200);
  EXPECT_EQ(Engine.GetPosition(), Paused);

  Engine.SetPosition(Engine.Duration - OneSecond / 2, AM_SEEKING_AbsolutePositioning);
  EXPECT_GE(Engine.GetPosition(), Engine.Duration - OneSecond / 2);
  const ULONGLONG Start = GetTickCount64();
  Engine.Play();
  EXPECT_EQ(Engine.State, 2);
  ASSERT_TRUE(Ends.WaitForCall(5500));
  EXPECT_LT(GetTickCount64() - Start, 2500u);
}

TEST(cbAudioPlayPlayback, RepeatPlaysTheSongAgainFromItsStartWithItsTimeRunning) {
  TSongEnds Ends;
  Ends.Engine = new TGraphProbe(nullptr, Fixture(L"tone.wav"), -1);
  const int64_t Duration = Ends.Engine->Duration;
  std::atomic<int> Buffers{0};
  Ends.Engine->OnBuffer = [&](TObject*, BYTE*, long Length) {
    if (Length > 0) ++Buffers;
  };
  int Completions = 0;
  int BuffersAtRestart = 0;
  int64_t PositionAtRestart = -1;
  Ends.Engine->OnComplete = [&](TObject* Sender) {
    EXPECT_EQ(Sender, Ends.Engine);
    if (++Completions == 1) {
      BuffersAtRestart = Buffers;
      PositionAtRestart = Ends.Engine->GetPosition();
    } else {
      Ends.Engine->Repeat = false;
    }
  };
  Ends.Engine->Repeat = true;
  Ends.Engine->Play();
  ASSERT_TRUE(PumpMessagesUntil([&] { return Completions == 1; }, 6000));
  EXPECT_EQ(Ends.Engine->State, 2);
  EXPECT_EQ(Ends.Calls, 0);
  // The second pass starts at the beginning and its time runs, as the position bar shows it.
  EXPECT_LT(PositionAtRestart, Duration / 2);
  int64_t Running = 0;
  EXPECT_TRUE(PumpMessagesUntil(
      [&] { return Completions > 1 || (Running = Ends.Engine->GetPosition()) > PositionAtRestart; }, 6000));
  EXPECT_GT(Running, PositionAtRestart);
  EXPECT_LT(Running, Duration);
  ASSERT_TRUE(Ends.WaitForCall(6000));  // played once more, then ended for good
  EXPECT_EQ(Completions, 2);
  EXPECT_EQ(Ends.Calls, 1);
  EXPECT_GT(Buffers.load(), BuffersAtRestart);  // the second pass went through the graph
}

TEST(cbAudioPlayPlayback, GraphErrorsEndTheSongAsFailures) {
  TSongEnds Ends;
  Ends.Engine = new TGraphProbe(nullptr, Fixture(L"long.mp3"), -1);
  Ends.Engine->Repeat = true;  // an error is no end to repeat
  Ends.Engine->Play();
  Ends.Engine->Notify(EC_ERRORABORT, E_OUTOFMEMORY);
  ASSERT_TRUE(Ends.WaitForCall(3000));
  PumpMessagesFor(200);
  EXPECT_EQ(Ends.Calls, 1);
  ASSERT_EQ(Ends.Failures.size(), 1u);
  EXPECT_EQ(Ends.Failures[0].first.rfind(L"Playback aborted by the media graph: 8007000E\r", 0), 0u);
  EXPECT_EQ(Ends.Failures[0].second, E_OUTOFMEMORY);

  // A user abort ends the song like its end.
  TSongEnds Aborted;
  Aborted.Engine = new TGraphProbe(nullptr, Fixture(L"long.mp3"), -1);
  Aborted.Engine->Play();
  Aborted.Engine->Notify(EC_USERABORT, 0);
  ASSERT_TRUE(Aborted.WaitForCall(3000));
  EXPECT_TRUE(Aborted.Failures.empty());
}

// The next-song command frees the old engine and starts the next one from inside the notice handler.
TEST(cbAudioPlayPlayback, NextSongCommandMayFreeAndReplaceTheEngine) {
  int Songs = 0;
  TcbAudioPlay* Current = nullptr;
  auto Start = [&] {
    Current = new TcbAudioPlay(nullptr, Fixture(L"tone.wav"), -1);
    Current->SetPosition(Current->Duration - OneSecond / 5, AM_SEEKING_AbsolutePositioning);
    Current->Play();
  };
  PlayerNextSong = [&](const EcbAudioPlayError*) {
    delete Current;
    Current = nullptr;
    if (++Songs < 3) Start();
  };
  Start();
  EXPECT_TRUE(PumpMessagesUntil([&] { return Songs == 3; }, 15000));
  PumpMessagesFor(300);
  EXPECT_EQ(Songs, 3);
  EXPECT_EQ(Current, nullptr);
  PlayerNextSong = nullptr;
}

TEST(cbAudioPlayPlayback, DestroyStopsTheGraphBeforeReleasing) {
  std::atomic<int> Buffers{0};
  auto* Engine = new TGraphProbe(nullptr, Fixture(L"long.mp3"), -1);
  TControlSpy Spy(Engine->Graph());
  Engine->SetMediaControl(&Spy);
  Engine->OnBuffer = [&](TObject*, BYTE*, long) {
    Sleep(5);  // keeps the streaming thread inside the callback a while
    ++Buffers;
  };
  Engine->Play();
  ASSERT_TRUE(PumpMessagesUntil([&] { return Buffers > 3; }, 3000));
  delete Engine;
  EXPECT_EQ(Spy.Stops, 1);
  const int AfterDestroy = Buffers;
  PumpMessagesFor(300);
  EXPECT_EQ(Buffers.load(), AfterDestroy);
}

TEST(cbAudioPlayPlayback, VolumeOutsideTheRangeRaises) {
  TcbAudioPlay Engine(nullptr, Fixture(L"tone.wav"), -1);
  Engine.SetVolume(-500);
  EXPECT_EQ(Engine.GetVolume(), -500);
  EXPECT_EQ(Engine.GetBalance(), 0);
  const EcbAudioPlayError E = RaisedBy([&] { Engine.SetVolume(1); });
  EXPECT_EQ(E.ErrorCode, E_INVALIDARG);
  EXPECT_EQ(E.Message(), L"DirectShow call failed: 80070057\rOne of the parameters is invalid.");
  EXPECT_EQ(RaisedBy([&] { Engine.SetVolume(-10001); }).ErrorCode, E_INVALIDARG);
  EXPECT_EQ(Engine.GetVolume(), -500);
}

// ---------------------------------------------------------------------------------------------
// Files that do not play

TEST(cbAudioPlayFailures, FilesWithoutAudioRaiseWithTheirCodes) {
  const TDSErrorTextFunc Saved = DSErrorText;
  DSErrorText = FakeText;
  const int Windows = CountThreadWindows();
  const EcbAudioPlayError Text = RaisedBy([] { TcbAudioPlay(nullptr, Fixture(L"notaudio.txt"), -1); });
  EXPECT_EQ(Text.ErrorCode, static_cast<HRESULT>(0x80040218));  // VFW_E_CANNOT_RENDER
  EXPECT_EQ(Text.Message(), L"DirectShow call failed: 80040218\rPlatform text.");
  const EcbAudioPlayError Missing = RaisedBy([] { TcbAudioPlay(nullptr, Fixture(L"missing.mp3"), -1); });
  EXPECT_EQ(Missing.ErrorCode, static_cast<HRESULT>(0x80070002));
  const EcbAudioPlayError Video = RaisedBy([] { TcbAudioPlay(nullptr, Fixture(L"videoonly.avi"), -1); });
  EXPECT_EQ(Video.ErrorCode, 1000);
  EXPECT_EQ(Video.Message(), L"Specified file doesn't have any audio stream.");
  EXPECT_EQ(CountThreadWindows(), Windows);  // the listener went with the half-built engine
  DSErrorText = Saved;
}

TEST(cbAudioPlayFailures, WaitForStateGivesUpAfterItsBound) {
  TGraphProbe Engine(nullptr, Fixture(L"tone.wav"), -1);
  TControlSpy Spy(Engine.Graph());
  Spy.Stuck = true;
  Engine.SetMediaControl(&Spy);
  const ULONGLONG Start = GetTickCount64();
  const EcbAudioPlayError E = RaisedBy([&] { Engine.Play(); });
  const ULONGLONG Waited = GetTickCount64() - Start;
  EXPECT_GE(Waited, TcbAudioPlay::StateTimeoutMs);
  EXPECT_LT(Waited, TcbAudioPlay::StateTimeoutMs + 1000);
  EXPECT_EQ(E.Message(), L"The media graph did not become running within 5 seconds.");
  EXPECT_EQ(E.ErrorCode, HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  EXPECT_EQ(Engine.State, 0);
  Engine.SetMediaControl(Spy.Inner.Get());  // the spy goes before the engine
}

// ---------------------------------------------------------------------------------------------
// Devices and names

TEST(cbAudioPlayOutput, DeviceIndexChoosesTheRenderer) {
  for (int Index : {-1, static_cast<int>(AudioDevices.size()), 1000}) {
    TGraphProbe Engine(nullptr, Fixture(L"tone.wav"), Index);
    EXPECT_FALSE(Engine.HasConnectedFilter(L"Audio Renderer")) << Index;
  }
  for (int Index = 0; Index < static_cast<int>(AudioDevices.size()); ++Index) {
    TRACE_CASE(testing::Message() << Index);
    TGraphProbe Engine(nullptr, Fixture(L"tone.wav"), Index);
    EXPECT_TRUE(Engine.HasConnectedFilter(L"Audio Renderer"));
    Engine.Play();
    EXPECT_EQ(Engine.State, 2);
  }
}

TEST(cbAudioPlayOutput, NamesOutsideTheAnsiCodePageAndLongPathsPlay) {
  TempDir Dir;
  std::wstring Deep = Dir.Path();
  while (Deep.size() < 280) {
    Deep += L"\\\u0424\u043e\u043b\u0434\u0435\u0440-\u97f3\u697d-folder-with-a-long-name";
    MakeDir(Deep);
  }
  const std::wstring Names[] = {Dir.File(L"\u03a9\u03bc\u03ad\u03b3\u03b1 \u97f3\u697d.mp3"),
                                Deep + L"\\\u0422\u043e\u043d.mp3"};
  for (const std::wstring& Name : Names) {
    ASSERT_TRUE(CopyFileW(Fixture(L"plain.mp3").c_str(), Name.c_str(), TRUE)) << Name.size();
    TSongEnds Ends;
    Ends.Engine = new TGraphProbe(nullptr, Name, -1);
    EXPECT_EQ(Ends.Engine->FileName, Name);
    Ends.Engine->SetPosition(Ends.Engine->Duration - OneSecond / 5, AM_SEEKING_AbsolutePositioning);
    Ends.Engine->Play();
    EXPECT_TRUE(Ends.WaitForCall(5500)) << Name.size();
  }
  DeleteFileW(Names[1].c_str());
  while (Deep.size() > Dir.Path().size()) {
    RemoveDirectoryW(Deep.c_str());
    Deep.resize(Deep.rfind(L'\\'));
  }
}

TEST(cbAudioPlayOutput, ListenerLivesInTheOwnersWindow) {
  auto* Owner = new TWinControl(nullptr);
  Owner->SetVisible(false);
  {
    TSongEnds Ends;
    Ends.Engine = new TGraphProbe(Owner, Fixture(L"tone.wav"), -1);
    ASSERT_NE(Ends.Engine->Listener, nullptr);
    EXPECT_EQ(Ends.Engine->Listener->Owner(), Owner);
    EXPECT_EQ(GetParent(Ends.Engine->Listener->Handle()), Owner->Handle());
    Ends.Engine->SetPosition(Ends.Engine->Duration - OneSecond / 5, AM_SEEKING_AbsolutePositioning);
    Ends.Engine->Play();
    EXPECT_TRUE(Ends.WaitForCall(5500));
  }
  EXPECT_EQ(Owner->ComponentCount(), 0);
  EXPECT_EQ(Owner->ControlCount(), 0);

  // The owner may go first; the engine then has no listener to free.
  auto* Engine = new TcbAudioPlay(Owner, Fixture(L"tone.wav"), -1);
  delete Owner;
  EXPECT_EQ(Engine->Listener, nullptr);
  delete Engine;
}

// ---------------------------------------------------------------------------------------------
// Resources

int CountThreads() {
  const HANDLE Snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 Entry{};
  Entry.dwSize = sizeof Entry;
  int Count = 0;
  for (BOOL More = Thread32First(Snapshot, &Entry); More; More = Thread32Next(Snapshot, &Entry))
    if (Entry.th32OwnerProcessID == GetCurrentProcessId()) ++Count;
  CloseHandle(Snapshot);
  return Count;
}

// Wine's GetProcessHandleCount answers 0: the open handles are counted one by one.
int CountHandles() {
  int Count = 0;
  DWORD Flags;
  for (uintptr_t Value = 4; Value < 0x10000; Value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(Value), &Flags)) ++Count;
  return Count;
}

void PlayBriefly(const std::wstring& File, bool Play) {
  TcbAudioPlay Engine(nullptr, File, 0);
  if (!Play) return;
  Engine.Play();
  PumpMessagesFor(20);
  Engine.Pause();
}

// A bare graph that renders the file and goes.
void RenderOnly(const std::wstring& File) {
  TComPtr<IGraphBuilder> Graph;
  ASSERT_EQ(
      CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, Graph.PutVoid()),
      S_OK);
  ASSERT_EQ(Graph->RenderFile(File.c_str(), nullptr), S_OK);
}

TEST(cbAudioPlayResources, AHundredEnginesLeaveNothingBehind) {
  const std::wstring File = Fixture(L"tone.wav");
  for (int I = 0; I < 3; ++I) PlayBriefly(File, true);  // Wine starts some threads once
  PumpMessagesFor(300);
  const int Windows = CountThreadWindows();
  const int Threads = CountThreads();
  const int Handles = CountHandles();
  for (int I = 0; I < 100; ++I) PlayBriefly(File, I % 2 == 0);
  // Streaming threads may take a moment to end after their graph went, and a thread-pool worker that
  // a busy moment added ends only after 5 s without work.
  PumpMessagesUntil([&] { return CountThreads() <= Threads; }, 8000);
  EXPECT_EQ(CountThreadWindows(), Windows);
  EXPECT_LE(CountThreads(), Threads);

  // Wine keeps dozens of handles for every file a graph rendered, even when the graph is released at once:
  // a hundred engines may keep no more than a hundred bare renderings do.
  const int EngineHandles = CountHandles() - Handles;
  for (int I = 0; I < 20; ++I) RenderOnly(File);
  const int PlatformHandles = (CountHandles() - Handles - EngineHandles) * 5;
  EXPECT_LE(EngineHandles, PlatformHandles);
}

}  // namespace
