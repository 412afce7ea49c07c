#include "app/Parallel.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

std::vector<size_t> Grenzen(size_t Anzahl, size_t JeTeil) {
  const size_t Teile =
      std::clamp<size_t>(Anzahl / JeTeil, 1, 3 * std::max(1u, std::thread::hardware_concurrency()));
  std::vector<size_t> G(Teile + 1);
  for (size_t T = 0; T <= Teile; ++T) G[T] = Anzahl * T / Teile;
  return G;
}

namespace {

// The pool: a thread for each further processor, started at the first step and kept. The system's shared
// pool starts a thread at a time and leaves most processors idle, and threads started for each step cost
// more than the step.
class TFaeden {
 public:
  static PTP_CALLBACK_ENVIRON Umgebung() {
    static TFaeden Faeden;
    return Faeden.FPool ? &Faeden.FUmgebung : nullptr;  // else the shared pool
  }

 private:
  TFaeden() : FPool(CreateThreadpool(nullptr), &CloseThreadpool) {
    InitializeThreadpoolEnvironment(&FUmgebung);
    if (!FPool) return;
    const DWORD Weitere = std::max(1u, std::thread::hardware_concurrency()) - 1;
    SetThreadpoolThreadMaximum(FPool.get(), std::max<DWORD>(Weitere, 1));
    SetThreadpoolThreadMinimum(FPool.get(), Weitere);  // without them the pool starts threads as it needs
    SetThreadpoolCallbackPool(&FUmgebung, FPool.get());
  }

  std::unique_ptr<TP_POOL, decltype(&CloseThreadpool)> FPool;
  TP_CALLBACK_ENVIRON FUmgebung;
};

class TParallel {
 public:
  TParallel(size_t Teile, void (*Machen)(const void*, size_t), const void* Kontext)
      : FTeile(Teile), FMachen(Machen), FKontext(Kontext), FFehler(Teile) {}

  void Ausfuehren() {
    std::unique_ptr<TP_WORK, decltype(&CloseThreadpoolWork)> Arbeit(
        FTeile > 1 ? CreateThreadpoolWork(&Rueckruf, this, TFaeden::Umgebung()) : nullptr,
        &CloseThreadpoolWork);
    if (Arbeit)
      for (size_t T = 1; T < FTeile; ++T) SubmitThreadpoolWork(Arbeit.get());
    Teile();
    if (Arbeit) WaitForThreadpoolWorkCallbacks(Arbeit.get(), FALSE);
    for (const std::exception_ptr& E : FFehler)
      if (E) std::rethrow_exception(E);
  }

 private:
  static void NTAPI Rueckruf(PTP_CALLBACK_INSTANCE, void* Kontext, PTP_WORK) {
    static_cast<TParallel*>(Kontext)->Teile();
  }

  void Teile() {
    for (size_t T; (T = FNaechster++) < FTeile;) try {
        FMachen(FKontext, T);
      } catch (...) {
        FFehler[T] = std::current_exception();
      }
  }

  const size_t FTeile;
  void (*const FMachen)(const void*, size_t);
  const void* const FKontext;
  std::atomic<size_t> FNaechster{0};
  std::vector<std::exception_ptr> FFehler;
};

}  // namespace

void ParallelAusfuehren(size_t Teile, void (*Machen)(const void* Kontext, size_t Teil), const void* Kontext) {
  TParallel(Teile, Machen, Kontext).Ausfuehren();
}

struct TNebenbei::TArbeit {
  std::unique_ptr<TP_WORK, decltype(&CloseThreadpoolWork)> Arbeit{nullptr, &CloseThreadpoolWork};

  static void NTAPI Rueckruf(PTP_CALLBACK_INSTANCE, void* Kontext, PTP_WORK) {
    auto* N = static_cast<TNebenbei*>(Kontext);
    try {
      N->FSchritt();
    } catch (...) {
      N->FFehler = std::current_exception();
    }
  }
};

TNebenbei::TNebenbei(std::function<void()> Schritt) : FSchritt(std::move(Schritt)), FArbeit(new TArbeit) {
  FArbeit->Arbeit.reset(CreateThreadpoolWork(&TArbeit::Rueckruf, this, TFaeden::Umgebung()));
  if (FArbeit->Arbeit) {
    SubmitThreadpoolWork(FArbeit->Arbeit.get());
    return;
  }
  FArbeit.reset();  // no pool: the step runs now
  FSchritt();
}

TNebenbei::~TNebenbei() {
  if (FArbeit) WaitForThreadpoolWorkCallbacks(FArbeit->Arbeit.get(), FALSE);
}

void TNebenbei::Warten() {
  if (FArbeit) WaitForThreadpoolWorkCallbacks(FArbeit->Arbeit.get(), FALSE);
  FArbeit.reset();
  if (FFehler) std::rethrow_exception(std::exchange(FFehler, nullptr));
}
