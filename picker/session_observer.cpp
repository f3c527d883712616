#include "picker/session_observer.h"

#include <atomic>

namespace tintra {

namespace {

// Installed by a test's thread, read by the dialogs' threads.
std::atomic<const SessionObserver*> g_observer{nullptr};

}  // namespace

void InstallSessionObserver(const SessionObserver* observer) {
  g_observer.store(observer);
}

const SessionObserver* InstalledSessionObserver() {
  return g_observer.load();
}

}  // namespace tintra
