// SIGINT and SIGTERM end the process through System.exit(0). Calling into the JVM is not
// async-signal-safe, so the handler only wakes a watcher thread, which does the Java work.
// The watcher is not attached to the JVM while it waits, so it never holds up DestroyJavaVM.
#include "jvm/JavaHost.h"
#include "jvm/JavaServices.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <pthread.h>
#include <semaphore.h>

namespace {

const int kWatchedSignals[] = {SIGINT, SIGTERM};
const int kWatchedCount = 2;
// The handler touches only these flags and sem_post.
static_assert(std::atomic<bool>::is_always_lock_free);

struct SignalWatcher {
    struct sigaction previous[kWatchedCount];  // dispositions in force at installation
    std::atomic<bool> pending[kWatchedCount];  // set by the handler, taken by the watcher
    std::atomic<bool> stopping{false};
    sem_t wake;
    pthread_t thread;
    bool installed = false;
};

SignalWatcher watcher;

[[nodiscard]] int IndexOf(int signal)
{
    for (int i = 0; i < kWatchedCount; ++i)
        if (kWatchedSignals[i] == signal)
            return i;
    return -1;
}

void ExitJava()
{
    CJavaHost* host = phost;
    JavaVM* jvm = host ? __atomic_load_n(&host->m_pJvm, __ATOMIC_ACQUIRE) : nullptr;
    if (!jvm)
        return;
    JNIEnv* env = nullptr;
    if (jvm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
        return;
    if (env)
        RequestJavaExit(env, 0);
    jvm->DetachCurrentThread();
}

// Reached only when the Java exit did not happen.
void ChainPrevious(int index)
{
    const struct sigaction& previous = watcher.previous[index];
    int signal = kWatchedSignals[index];
    if (previous.sa_flags & SA_SIGINFO) {
        siginfo_t info;
        memset(&info, 0, sizeof(info));
        info.si_signo = signal;
        previous.sa_sigaction(signal, &info, nullptr);
        return;
    }
    // SIG_ERR, SIG_DFL, SIG_IGN and SIG_HOLD are not functions.
    intptr_t value = reinterpret_cast<intptr_t>(previous.sa_handler);
    if (value >= -1 && value <= 4)
        return;
    previous.sa_handler(signal);
}

void* WatchSignals(void*)
{
    for (;;) {
        while (sem_wait(&watcher.wake) != 0) {
        }
        // A signal that came before the stop request is still handled.
        for (int i = 0; i < kWatchedCount; ++i) {
            if (watcher.pending[i].exchange(false)) {
                ExitJava();
                ChainPrevious(i);
            }
        }
        if (watcher.stopping.load())
            return nullptr;
    }
}

[[nodiscard]] bool StartWatcher()
{
    if (sem_init(&watcher.wake, 0, 0) != 0)
        return false;
    watcher.stopping.store(false);
    for (auto& flag : watcher.pending)
        flag.store(false);
    if (pthread_create(&watcher.thread, nullptr, WatchSignals, nullptr) != 0) {
        sem_destroy(&watcher.wake);
        return false;
    }
    return true;
}

void StopWatcher()
{
    watcher.stopping.store(true);
    sem_post(&watcher.wake);
    pthread_join(watcher.thread, nullptr);
    sem_destroy(&watcher.wake);
}

}  // namespace

void OnTerminateSignal(int signal)
{
    int index = IndexOf(signal);
    if (index < 0)
        return;
    watcher.pending[index].store(true);
    sem_post(&watcher.wake);
}

void InstallSignalHandlers()
{
    if (watcher.installed || !StartWatcher())
        return;
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = OnTerminateSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kWatchedCount; ++i)
        sigaction(kWatchedSignals[i], &action, &watcher.previous[i]);
    watcher.installed = true;
}

void RestoreSignalHandlers()
{
    if (!watcher.installed)
        return;
    for (int i = 0; i < kWatchedCount; ++i)
        sigaction(kWatchedSignals[i], &watcher.previous[i], nullptr);
    StopWatcher();
    watcher.installed = false;
}
