#pragma once
// One counted reference to a COM object, released when the holder goes.
#include <windows.h>
#include <unknwn.h>

#include <utility>

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(const TComPtr& Other) : FPtr(Other.FPtr) {
    if (FPtr) FPtr->AddRef();
  }
  TComPtr(TComPtr&& Other) noexcept : FPtr(Other.FPtr) { Other.FPtr = nullptr; }
  TComPtr& operator=(TComPtr Other) noexcept {
    std::swap(FPtr, Other.FPtr);
    return *this;
  }
  ~TComPtr() { Reset(); }

  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  // Releases the reference held and gives the slot for an out parameter.
  T** Put() {
    Reset();
    return &FPtr;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (FPtr) {
      T* Old = FPtr;
      FPtr = nullptr;
      Old->Release();
    }
  }
  // QueryInterface for another interface of the same object (not every MinGW interface has __uuidof).
  template <class U>
  HRESULT As(REFIID Iid, TComPtr<U>& Target) const {
    return FPtr->QueryInterface(Iid, Target.PutVoid());
  }

 private:
  T* FPtr = nullptr;
};
