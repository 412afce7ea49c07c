#pragma once
// Playback of one audio file through the platform's DirectShow filter graph, the list of audio output
// devices, and the check that turns failing DirectShow results into exceptions.
#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/ComPtr.h"
#include "classlib/Controls.h"
#include "classlib/SysUtils.h"

// Defined by libstrmiids but not declared by MinGW's qedit.h.
extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

constexpr UINT WM_GRAPHNOTIFY = WM_USER + 13;

// ErrorCode is the failing HRESULT, or 1000 (no audio stream) and 1001 (renderer or grabber not
// connected), which no HRESULT can be.
class EcbAudioPlayError : public Exception {
 public:
  EcbAudioPlayError(const std::string& Msg, int AErrorCode) : Exception(Msg), ErrorCode(AErrorCode) {}
  int ErrorCode;
};

// The names of the audio output devices in the order of the system device enumerator, taken once when the
// program starts (FriendlyName, or the CLSID text when a device has no readable name).
extern std::vector<std::wstring> AudioDevices;
void EnumAudioDevices();
// Calls Each for every device of the audio renderer category with its name, in enumeration order, until
// Each returns false. A device whose properties cannot be read is skipped; when the device enumerator
// cannot be created there are no devices.
void ForEachAudioDevice(const std::function<bool(IMoniker* Device, const std::wstring& Name)>& Each);
// The same over the monikers of one enumeration.
void EnumDeviceMonikers(IEnumMoniker* Monikers,
                        const std::function<bool(IMoniker* Device, const std::wstring& Name)>& Each);

// Returns for S_OK and S_FALSE; raises EcbAudioPlayError for every other result.
void DSCheck(HRESULT hr);
bool DSSucceeded(HRESULT hr);
// Frees the format block and drops the unknown-object reference of a media type record.
void FreeMediaType(AM_MEDIA_TYPE& MediaType);
// The platform's text for results that DSCheck does not know itself (AMGetErrorTextA); replaceable.
using TDSErrorTextFunc = DWORD(WINAPI*)(HRESULT hr, LPSTR Buffer, DWORD MaxLen);
extern TDSErrorTextFunc DSErrorText;

// The player window's next-song command. The end of a song without Repeat calls it as the engine's last
// act: the command frees the engine. Failure is null at a normal end; when the graph reported an error it
// holds that error, for the player to log before it moves on.
using TNextSongCommand = std::function<void(const EcbAudioPlayError* Failure)>;
extern TNextSongCommand PlayerNextSong;

class TcbAudioPlay;

// The window that receives the graph's notices for its player.
class TcbAudioPlayEventListener : public TWinControl {
 public:
  TcbAudioPlayEventListener(TComponent* AOwner, TcbAudioPlay* APlayer);
  ~TcbAudioPlayEventListener() override;
  TcbAudioPlay* Player;

 protected:
  // A message-only window when there is no parent window to live in.
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void WMGraphNotify(TMessage& Message);
};

using TcbBufferEvent = std::function<void(TObject* Sender, BYTE* Buffer, long BufferLen)>;

// One audio file with its filter graph. Not reference-counted: it lives from construction to deletion.
class TcbAudioPlay : public TObject, public ISampleGrabberCB {
 public:
  // Builds the graph and renders the file (a wide name, passed on as given); raises EcbAudioPlayError.
  // The listener window is owned by and parented to AOwner, which may be null.
  TcbAudioPlay(TWinControl* AOwner, std::wstring AFileName, int ADeviceIndex);
  // Stops the graph, detaches the grabber callback and the listener, and releases everything.
  ~TcbAudioPlay() override;

  void Play();
  void Pause();
  int64_t GetPosition();
  // The player passes Flags 1 (absolute positioning).
  void SetPosition(int64_t Position, DWORD Flags);
  void GetTimeFormat(GUID& Format);
  long GetVolume();
  // Hundredths of a decibel, -10000..0; not clamped here: other values raise.
  void SetVolume(long Volume);
  long GetBalance();
  void HandleGraphEvents();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE SampleCB(double SampleTime, IMediaSample* Sample) override;
  HRESULT STDMETHODCALLTYPE BufferCB(double SampleTime, BYTE* Buffer, LONG BufferLen) override;

  TWinControl* const Owner;
  const std::wstring FileName;
  TNotifyEvent OnComplete;
  TcbBufferEvent OnBuffer;  // called on DirectShow's streaming thread
  TcbAudioPlayEventListener* Listener = nullptr;
  int64_t Duration = 0;  // 100-ns units; 0 when the graph cannot tell
  DWORD Capabilities = 0;
  int State = 0;  // OAFilterState's values (1 paused, 2 running); 0 before the first Run or Pause
  bool Repeat = false;
  bool GrabberAvailable = false;
  const int DeviceIndex;
  std::vector<uint8_t> WaveFormat;  // the WAVEFORMATEX bytes at the grabber; empty without grabber

  // How long Play and Pause wait for the graph to reach the state.
  static constexpr DWORD StateTimeoutMs = 5000;

 protected:
  void AddAudioRenderer();
  TComPtr<IBaseFilter> FindAudioRenderer();
  bool CheckRenderer(IBaseFilter* Filter);
  bool IsFilterConnected(IBaseFilter* Filter);
  void WaitForState(OAFilterState Wanted);

  TComPtr<IGraphBuilder> FGraph;
  TComPtr<IBaseFilter> FGrabberFilter;
  TComPtr<ISampleGrabber> FSampleGrabber;
  TComPtr<IMediaControl> FMediaControl;
  TComPtr<IMediaEventEx> FMediaEvent;
  TComPtr<IMediaSeeking> FMediaSeeking;
  TComPtr<IBasicAudio> FBasicAudio;

 private:
  void BuildGraph();
  void InsertSampleGrabber();
  void CheckConnections();
  void ReleaseGraph();
  void ReplaceByNullRenderer(IBaseFilter* Filter, IPin* InputPin);
  // The repeat after the song's end.
  void PlayFromStart();
  // True when the song has ended (normally, or with the error in Failure).
  bool FetchGraphEvents(std::unique_ptr<EcbAudioPlayError>& Failure);
};
