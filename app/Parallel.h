#pragma once
// Steps shared out among the processors: the parts of a step run side by side on a pool of threads that
// is started at the first step and kept.

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

// The numbers below Anzahl in parts, three per processor at most, so that a processor held up by others
// leaves its share to them, and none smaller than JeTeil: the bounds of the parts, the first 0 and the
// last Anzahl.
std::vector<size_t> Grenzen(size_t Anzahl, size_t JeTeil = 4096);

// Runs Machen(Kontext, T) for every part T below Teile: the calling thread and the pool's take parts
// until none is left. Rethrows what a part threw, once all have ended.
void ParallelAusfuehren(size_t Teile, void (*Machen)(const void* Kontext, size_t Teil), const void* Kontext);

// Runs Machen(T) for every part T below Teile.
template <typename TMachen>
void Parallel(size_t Teile, const TMachen& Machen) {
  ParallelAusfuehren(
      Teile, [](const void* Kontext, size_t T) { (*static_cast<const TMachen*>(Kontext))(T); }, &Machen);
}

// Runs Machen(Von, Bis) over the parts of the numbers below Anzahl.
template <typename TMachen>
void Verteilt(size_t Anzahl, const TMachen& Machen, size_t JeTeil = 4096) {
  const std::vector<size_t> G = Grenzen(Anzahl, JeTeil);
  Parallel(G.size() - 1, [&](size_t T) { Machen(G[T], G[T + 1]); });
}

// A step that runs on the pool beside the calling thread, from its making until Warten().
class TNebenbei {
 public:
  explicit TNebenbei(std::function<void()> Schritt);
  TNebenbei(const TNebenbei&) = delete;
  TNebenbei& operator=(const TNebenbei&) = delete;
  ~TNebenbei();
  // Waits for the step's end; rethrows what it threw.
  void Warten();

 private:
  struct TArbeit;
  std::function<void()> FSchritt;
  std::exception_ptr FFehler;
  std::unique_ptr<TArbeit> FArbeit;  // none once waited for, or when the step ran at once
};
