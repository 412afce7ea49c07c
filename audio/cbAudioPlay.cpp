#include "audio/cbAudioPlay.h"

#include <cstdio>

std::vector<std::wstring> AudioDevices;
TDSErrorTextFunc DSErrorText = AMGetErrorTextA;
TNextSongCommand PlayerNextSong;

namespace {

struct TResultText {
  HRESULT Result;
  const char* Text;
};

const TResultText ResultTexts[] = {
    {static_cast<HRESULT>(0x80040154), "A specified class is not registered in the registration database."},
    {static_cast<HRESULT>(0x80040110), "This class cannot be created as part of an aggregate."},
    {static_cast<HRESULT>(0x80004004), "The update aborted."},
    {static_cast<HRESULT>(0x80070057), "One of the parameters is invalid."},
    {static_cast<HRESULT>(0x80004003), "This method tried to access an invalid pointer."},
    {static_cast<HRESULT>(0x80004002), "No interface."},
    {0x00040001, "The asynchronous update is pending."},
    {0x00040002, "Sample was not updated after forced completion."},
    {0x00040003, "Reached the end of the stream; the sample wasn't updated."},
    {static_cast<HRESULT>(0x80040401),
     "An IMediaStream object could not be removed from an IMultiMediaStream object because it still contains "
     "at least one allocated sample."},
    {static_cast<HRESULT>(0x80040402), "The specified purpose ID can't be used for the call."},
    {static_cast<HRESULT>(0x80040403), "No stream can be found with the specified attributes."},
    {static_cast<HRESULT>(0x80040404), "One or more media streams don't support seeking."},
    {static_cast<HRESULT>(0x80040405), "The stream formats are not compatible."},
    {static_cast<HRESULT>(0x80040406), "This sample already has a pending update."},
    {static_cast<HRESULT>(0x80040407),
     "The object can't accept the call because its initialize function or equivalent has not been called."},
    {static_cast<HRESULT>(0x80040408), "Source already defined."},
    {static_cast<HRESULT>(0x80040409), "The stream type is not valid for this operation."},
    {static_cast<HRESULT>(0x8004040A), "The IMultiMediaStream object is not in running state."},
};

std::string ResultText(HRESULT hr) {
  for (const TResultText& Entry : ResultTexts)
    if (Entry.Result == hr) return Entry.Text;
  char Buffer[300] = {};
  const DWORD Length = DSErrorText ? DSErrorText(hr, Buffer, sizeof Buffer) : 0;
  if (Length == 0) return "Unrecognized error value.";
  Buffer[sizeof Buffer - 1] = 0;
  return Buffer;
}

// Head, the result in upper-case hexadecimal without leading zeros, a carriage return and the result's text.
std::string ResultMessage(const char* Head, HRESULT hr) {
  char Number[16];
  std::snprintf(Number, sizeof Number, "%lX", static_cast<unsigned long>(static_cast<uint32_t>(hr)));
  return std::string(Head) + Number + "\r" + ResultText(hr);
}

class TVariant {
 public:
  TVariant() { VariantInit(&Value); }
  ~TVariant() { VariantClear(&Value); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  VARIANT Value;
};

bool ReadProperty(IPropertyBag* Bag, const wchar_t* Name, std::wstring& Text) {
  TVariant Property;
  if (FAILED(Bag->Read(Name, &Property.Value, nullptr))) return false;
  if (FAILED(VariantChangeType(&Property.Value, &Property.Value, 0, VT_BSTR))) return false;
  const BSTR Str = Property.Value.bstrVal;
  Text.assign(Str ? Str : L"", Str ? SysStringLen(Str) : 0);
  return true;
}

bool IsGraphError(long EventCode) {
  return EventCode == EC_ERRORABORT || EventCode == EC_ERRORABORTEX || EventCode == EC_STREAM_ERROR_STOPPED;
}

// COM for the main thread and the device list, from the start of the program to its end.
class TcbAudioPlayUnit {
 public:
  TcbAudioPlayUnit() {
    CoInitialize(nullptr);
    // Without a device list the program still plays on the default renderer.
    try {
      EnumAudioDevices();
    } catch (const EcbAudioPlayError&) {
      AudioDevices.clear();
    }
  }
  ~TcbAudioPlayUnit() {
    AudioDevices.clear();
    CoUninitialize();
  }
  TcbAudioPlayUnit(const TcbAudioPlayUnit&) = delete;
  TcbAudioPlayUnit& operator=(const TcbAudioPlayUnit&) = delete;
};

const TcbAudioPlayUnit Unit;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Results and devices

void DSCheck(HRESULT hr) {
  if (hr == S_OK || hr == S_FALSE) return;
  throw EcbAudioPlayError(ResultMessage("DirectShow call failed: ", hr), hr);
}

bool DSSucceeded(HRESULT hr) {
  return hr >= 0;
}

void FreeMediaType(AM_MEDIA_TYPE& MediaType) {
  if (MediaType.cbFormat != 0) {
    CoTaskMemFree(MediaType.pbFormat);
    MediaType.cbFormat = 0;
    MediaType.pbFormat = nullptr;
  }
  if (MediaType.pUnk) {
    MediaType.pUnk->Release();
    MediaType.pUnk = nullptr;
  }
}

void EnumDeviceMonikers(IEnumMoniker* Monikers,
                        const std::function<bool(IMoniker* Device, const std::wstring& Name)>& Each) {
  TComPtr<IMoniker> Device;
  while (Monikers->Next(1, Device.Put(), nullptr) == S_OK) {
    TComPtr<IPropertyBag> Bag;
    if (FAILED(Device->BindToStorage(nullptr, nullptr, IID_IPropertyBag, Bag.PutVoid()))) continue;
    std::wstring Clsid;
    if (!ReadProperty(Bag.Get(), L"CLSID", Clsid)) continue;
    std::wstring Name;
    if (!ReadProperty(Bag.Get(), L"FriendlyName", Name)) Name = Clsid;
    if (!Each(Device.Get(), Name)) return;
  }
}

void ForEachAudioDevice(const std::function<bool(IMoniker* Device, const std::wstring& Name)>& Each) {
  TComPtr<ICreateDevEnum> DevEnum;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC, IID_ICreateDevEnum,
                              DevEnum.PutVoid())))
    return;
  TComPtr<IEnumMoniker> Monikers;
  DSCheck(DevEnum->CreateClassEnumerator(CLSID_AudioRendererCategory, Monikers.Put(), 0));
  if (Monikers) EnumDeviceMonikers(Monikers.Get(), Each);  // none: the category is empty
}

void EnumAudioDevices() {
  AudioDevices.clear();
  ForEachAudioDevice([](IMoniker*, const std::wstring& Name) {
    AudioDevices.push_back(Name);
    return true;
  });
}

// ---------------------------------------------------------------------------------------------
// TcbAudioPlayEventListener

TcbAudioPlayEventListener::TcbAudioPlayEventListener(TComponent* AOwner, TcbAudioPlay* APlayer)
    : TWinControl(AOwner), Player(APlayer) {
  SetVisible(false);
}

// Freed with its owner before the player: the player must not free it again.
TcbAudioPlayEventListener::~TcbAudioPlayEventListener() {
  if (Player) Player->Listener = nullptr;
}

void TcbAudioPlayEventListener::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (!Parent()) {
    Params.Style &= ~WS_POPUP;
    Params.WndParent = HWND_MESSAGE;
  }
}

void TcbAudioPlayEventListener::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GRAPHNOTIFY)
    WMGraphNotify(Message);
  else
    TWinControl::Dispatch(Message);
}

// The player may be freed by this call, and this listener with it: nothing may follow it.
void TcbAudioPlayEventListener::WMGraphNotify(TMessage& /*Message*/) {
  if (Player) Player->HandleGraphEvents();
}

// ---------------------------------------------------------------------------------------------
// TcbAudioPlay

TcbAudioPlay::TcbAudioPlay(TWinControl* AOwner, std::wstring AFileName, int ADeviceIndex)
    : Owner(AOwner), FileName(std::move(AFileName)), DeviceIndex(ADeviceIndex) {
  try {
    BuildGraph();
  } catch (...) {
    ReleaseGraph();
    throw;
  }
}

TcbAudioPlay::~TcbAudioPlay() {
  ReleaseGraph();
}

void TcbAudioPlay::BuildGraph() {
  Listener = new TcbAudioPlayEventListener(Owner, this);
  Listener->SetParent(Owner);
  State = 0;
  DSCheck(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                           FGraph.PutVoid()));
  AddAudioRenderer();
  InsertSampleGrabber();
  // A positive result such as VFW_S_PARTIAL_RENDER (a video stream without a renderer) is success.
  const HRESULT Rendered = FGraph->RenderFile(FileName.c_str(), nullptr);
  if (!DSSucceeded(Rendered)) DSCheck(Rendered);
  if (FSampleGrabber) {
    FSampleGrabber->SetOneShot(FALSE);
    FSampleGrabber->SetBufferSamples(TRUE);
    FSampleGrabber->SetCallback(this, 1);
  }
  CheckConnections();
  DSCheck(FGraph.As(IID_IMediaControl, FMediaControl));
  DSCheck(FGraph.As(IID_IMediaEventEx, FMediaEvent));
  DSCheck(FGraph.As(IID_IMediaSeeking, FMediaSeeking));
  DSCheck(FGraph.As(IID_IBasicAudio, FBasicAudio));
  DSCheck(FMediaEvent->SetNotifyWindow(reinterpret_cast<OAHWND>(Listener->Handle()), WM_GRAPHNOTIFY, 0));
  DSCheck(FMediaSeeking->GetCapabilities(&Capabilities));
  if (Capabilities & AM_SEEKING_CanGetDuration) DSCheck(FMediaSeeking->GetDuration(&Duration));
}

void TcbAudioPlay::InsertSampleGrabber() {
  GrabberAvailable = SUCCEEDED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IBaseFilter, FGrabberFilter.PutVoid()));
  if (!GrabberAvailable) return;
  DSCheck(FGrabberFilter.As(IID_ISampleGrabber, FSampleGrabber));
  FGraph->AddFilter(FGrabberFilter.Get(), L"Grabber");
  AM_MEDIA_TYPE Type{};
  Type.majortype = MEDIATYPE_Audio;
  Type.subtype = GUID_NULL;
  Type.formattype = FORMAT_WaveFormatEx;
  DSCheck(FSampleGrabber->SetMediaType(&Type));
}

void TcbAudioPlay::CheckConnections() {
  const TComPtr<IBaseFilter> Renderer = FindAudioRenderer();
  if (!Renderer) throw EcbAudioPlayError("Specified file doesn't have any audio stream.", 1000);
  if (!IsFilterConnected(Renderer.Get()))
    throw EcbAudioPlayError("Selected audio device not connected", 1001);
  if (!FSampleGrabber) return;
  if (!IsFilterConnected(FGrabberFilter.Get())) throw EcbAudioPlayError("Sample grabber not connected", 1001);
  AM_MEDIA_TYPE Type{};
  DSCheck(FSampleGrabber->GetConnectedMediaType(&Type));
  WaveFormat.assign(Type.pbFormat, Type.pbFormat + Type.cbFormat);
  FreeMediaType(Type);
}

void TcbAudioPlay::ReleaseGraph() {
  if (FMediaEvent) FMediaEvent->SetNotifyWindow(0, WM_GRAPHNOTIFY, 0);
  // Stopped first, and the callback taken back, so that no streaming thread calls into a freed object.
  if (FMediaControl) FMediaControl->Stop();
  if (FSampleGrabber) FSampleGrabber->SetCallback(nullptr, 1);
  WaveFormat.clear();
  FBasicAudio.Reset();
  FMediaSeeking.Reset();
  FMediaEvent.Reset();
  FMediaControl.Reset();
  FSampleGrabber.Reset();
  FGrabberFilter.Reset();
  FGraph.Reset();
  if (Listener) {
    Listener->Player = nullptr;
    delete Listener;
    Listener = nullptr;
  }
}

void TcbAudioPlay::AddAudioRenderer() {
  if (DeviceIndex < 0 || DeviceIndex >= static_cast<int>(AudioDevices.size())) return;
  const std::wstring Wanted = AudioDevices[static_cast<size_t>(DeviceIndex)];
  ForEachAudioDevice([&](IMoniker* Device, const std::wstring& Name) {
    if (Name != Wanted) return true;
    TComPtr<IBaseFilter> Renderer;
    DSCheck(Device->BindToObject(nullptr, nullptr, IID_IBaseFilter, Renderer.PutVoid()));
    DSCheck(FGraph->AddFilter(Renderer.Get(), L"Audio Renderer"));
    return false;
  });
}

// Collects the filters before checking them: CheckRenderer may take filters out of the graph.
TComPtr<IBaseFilter> TcbAudioPlay::FindAudioRenderer() {
  TComPtr<IEnumFilters> Enum;
  DSCheck(FGraph->EnumFilters(Enum.Put()));
  std::vector<TComPtr<IBaseFilter>> Filters;
  TComPtr<IBaseFilter> Filter;
  while (Enum->Next(1, Filter.Put(), nullptr) == S_OK) Filters.push_back(Filter);
  TComPtr<IBaseFilter> Found;
  for (const TComPtr<IBaseFilter>& Candidate : Filters)
    if (CheckRenderer(Candidate.Get())) Found = Candidate;
  return Found;
}

bool TcbAudioPlay::CheckRenderer(IBaseFilter* Filter) {
  TComPtr<IEnumPins> Pins;
  DSCheck(Filter->EnumPins(Pins.Put()));
  int Inputs = 0;
  int Outputs = 0;
  TComPtr<IPin> Input;
  TComPtr<IPin> Pin;
  while (Pins->Next(1, Pin.Put(), nullptr) == S_OK) {
    PIN_DIRECTION Direction;
    DSCheck(Pin->QueryDirection(&Direction));
    if (Direction == PINDIR_INPUT) {
      ++Inputs;
      Input = Pin;
    } else {
      ++Outputs;
    }
  }
  if (Outputs > 0 || Inputs != 1) return false;
  AM_MEDIA_TYPE Type{};
  if (!DSSucceeded(Input->ConnectionMediaType(&Type))) return false;
  const bool IsAudio = Type.majortype == MEDIATYPE_Audio;
  FreeMediaType(Type);
  if (IsAudio) return true;
  ReplaceByNullRenderer(Filter, Input.Get());
  return false;
}

// The renderer of another stream (video) gives way to a null renderer, so that the graph can run.
void TcbAudioPlay::ReplaceByNullRenderer(IBaseFilter* Filter, IPin* InputPin) {
  TComPtr<IBaseFilter> NullRenderer;
  DSCheck(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                           NullRenderer.PutVoid()));
  DSCheck(FGraph->AddFilter(NullRenderer.Get(), L"Void render"));
  TComPtr<IPin> Upstream;
  DSCheck(InputPin->ConnectedTo(Upstream.Put()));
  DSCheck(FGraph->RemoveFilter(Filter));
  TComPtr<IEnumPins> Pins;
  DSCheck(NullRenderer->EnumPins(Pins.Put()));
  TComPtr<IPin> NullPin;
  DSCheck(Pins->Next(1, NullPin.Put(), nullptr));
  if (!NullPin) DSCheck(E_POINTER);
  DSCheck(FGraph->Connect(Upstream.Get(), NullPin.Get()));
}

bool TcbAudioPlay::IsFilterConnected(IBaseFilter* Filter) {
  TComPtr<IEnumPins> Pins;
  if (FAILED(Filter->EnumPins(Pins.Put()))) return false;
  TComPtr<IPin> Pin;
  while (Pins->Next(1, Pin.Put(), nullptr) == S_OK) {
    TComPtr<IPin> Other;
    if (SUCCEEDED(Pin->ConnectedTo(Other.Put())) && Other) return true;
  }
  return false;
}

void TcbAudioPlay::WaitForState(OAFilterState Wanted) {
  const ULONGLONG Start = GetTickCount64();
  for (;;) {
    OAFilterState Current = -1;
    if (FAILED(FMediaControl->GetState(10, &Current))) Sleep(10);
    if (Current == Wanted) return;
    if (GetTickCount64() - Start >= StateTimeoutMs) {
      char Text[96];
      std::snprintf(Text, sizeof Text, "The media graph did not become %s within %lu seconds.",
                    Wanted == State_Running ? "running" : "paused",
                    static_cast<unsigned long>(StateTimeoutMs / 1000));
      throw EcbAudioPlayError(Text, HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    }
  }
}

void TcbAudioPlay::Play() {
  DSCheck(FMediaControl->Run());
  WaitForState(State_Running);
  State = 2;
}

void TcbAudioPlay::Pause() {
  DSCheck(FMediaControl->Pause());
  WaitForState(State_Paused);
  State = 1;
}

int64_t TcbAudioPlay::GetPosition() {
  LONGLONG Position = 0;
  DSCheck(FMediaSeeking->GetCurrentPosition(&Position));
  return Position;
}

void TcbAudioPlay::SetPosition(int64_t Position, DWORD Flags) {
  LONGLONG Current = Position;
  LONGLONG Stop = 0;
  DSCheck(FMediaSeeking->SetPositions(&Current, Flags, &Stop, AM_SEEKING_NoPositioning));
}

void TcbAudioPlay::PlayFromStart() {
  // Stopped, not paused: after its end a paused graph plays the song again but keeps reporting the end
  // position for good under Wine; a stop clears that.
  DSCheck(FMediaControl->Stop());
  SetPosition(0, AM_SEEKING_AbsolutePositioning);
  Play();
}

void TcbAudioPlay::GetTimeFormat(GUID& Format) {
  DSCheck(FMediaSeeking->GetTimeFormat(&Format));
}

long TcbAudioPlay::GetVolume() {
  long Volume = 0;
  DSCheck(FBasicAudio->get_Volume(&Volume));
  return Volume;
}

void TcbAudioPlay::SetVolume(long Volume) {
  DSCheck(FBasicAudio->put_Volume(Volume));
}

long TcbAudioPlay::GetBalance() {
  long Balance = 0;
  DSCheck(FBasicAudio->get_Balance(&Balance));
  return Balance;
}

void TcbAudioPlay::HandleGraphEvents() {
  std::unique_ptr<EcbAudioPlayError> Failure;
  bool Ended;
  try {
    Ended = FetchGraphEvents(Failure);
  } catch (const EcbAudioPlayError& E) {
    Failure = std::make_unique<EcbAudioPlayError>(E);
    Ended = true;
  }
  if (!Ended) return;
  // The command frees this object: it is the last thing done here.
  const TNextSongCommand Command = PlayerNextSong;
  if (Command) Command(Failure.get());
}

bool TcbAudioPlay::FetchGraphEvents(std::unique_ptr<EcbAudioPlayError>& Failure) {
  long Code;
  LONG_PTR Param1;
  LONG_PTR Param2;
  HRESULT hr;
  while ((hr = FMediaEvent->GetEvent(&Code, &Param1, &Param2, 0)) == S_OK) {
    DSCheck(FMediaEvent->FreeEventParams(Code, Param1, Param2));
    if (Code == EC_COMPLETE || Code == EC_USERABORT) {
      if (!Repeat) return true;
      PlayFromStart();
      if (OnComplete) OnComplete(this);
    } else if (IsGraphError(Code)) {
      const auto Result = static_cast<HRESULT>(Param1);
      Failure = std::make_unique<EcbAudioPlayError>(
          ResultMessage("Playback aborted by the media graph: ", Result), Result);
      return true;
    }
  }
  if (hr != E_ABORT) DSCheck(hr);
  return false;
}

HRESULT STDMETHODCALLTYPE TcbAudioPlay::QueryInterface(REFIID riid, void** ppv) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISampleGrabberCB)) {
    *ppv = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

// Not reference-counted: the object lives from construction to deletion.
ULONG STDMETHODCALLTYPE TcbAudioPlay::AddRef() {
  return static_cast<ULONG>(-1);
}

ULONG STDMETHODCALLTYPE TcbAudioPlay::Release() {
  return static_cast<ULONG>(-1);
}

HRESULT STDMETHODCALLTYPE TcbAudioPlay::SampleCB(double /*SampleTime*/, IMediaSample* /*Sample*/) {
  return E_NOTIMPL;
}

// Runs on the streaming thread: no exception may leave it.
HRESULT STDMETHODCALLTYPE TcbAudioPlay::BufferCB(double /*SampleTime*/, BYTE* Buffer, LONG BufferLen) {
  try {
    if (OnBuffer) OnBuffer(this, Buffer, BufferLen);
  } catch (...) {
    return E_FAIL;
  }
  return S_OK;
}
