// GenerationWorker: the thread with its own message queue that serves generation requests one at a time.
#pragma once

#include <deque>
#include <mutex>

#include "engine/request.h"

// After the core's headers: the platform's macros reuse names of the type library seam.
#include <windows.h>

namespace tessivar {

class GeneratorDialog;

// The thread message that asks the worker for one request.
inline constexpr UINT WM_GENERATE = WM_USER + 1;

class GenerationWorker {
public:
    // Starts the thread below normal priority and returns once its message queue exists.
    GenerationWorker();
    ~GenerationWorker();
    GenerationWorker(const GenerationWorker&) = delete;
    GenerationWorker& operator=(const GenerationWorker&) = delete;

    // On the dialog's thread: queues the dialog's current state as one request and posts WM_GENERATE.
    void requestGeneration(GeneratorDialog& dialog);

    // Asks the message loop to end after the request under way; true when the thread ended within waitMs.
    bool stop(DWORD waitMs);

private:
    // What a request works on: taken on the dialog's thread when the request is made, so the dialog may
    // open another library, select another class or edit its settings while it runs.
    struct QueuedRequest {
        HWND dialog = nullptr;
        unsigned catalogueVersion = 0;
        RequestSnapshot snapshot;
    };

    static DWORD WINAPI threadMain(LPVOID self);
    void messageLoop();
    void onGenerate();

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_ = nullptr;
    std::mutex mutex_;
    std::deque<QueuedRequest> queue_;
};

}  // namespace tessivar
