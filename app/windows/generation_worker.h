// GenerationWorker: the thread with its own message queue that serves generation requests one at a time.
#pragma once

#include "engine/request.h"
#include "app/windows/request_queue.h"

// After the core's headers: the platform's macros reuse names of the type library seam.
#include <windows.h>

namespace tessivar {

class GeneratorDialog;

// The thread message that asks the worker for one request.
inline constexpr UINT WM_GENERATE = WM_USER + 1;

class GenerationWorker {
public:
    // What a request works on: taken on the dialog's thread when the request is made, so the dialog may
    // open another library, select another class or edit its settings while it waits or runs.
    struct Request {
        HWND dialog = nullptr;  // told when the request runs (WM_REQUEST_RUNNING) and which class it shows
        HWND log = nullptr;     // the list box the request logs to
        unsigned catalogueVersion = 0;
        RequestSnapshot snapshot;
    };

    // Starts the thread below normal priority and returns once its message queue exists.
    GenerationWorker();
    ~GenerationWorker();
    GenerationWorker(const GenerationWorker&) = delete;
    GenerationWorker& operator=(const GenerationWorker&) = delete;

    // On the dialog's thread: queues the dialog's current state as one request and posts WM_GENERATE.
    void requestGeneration(GeneratorDialog& dialog);
    void requestGeneration(Request request);

    // Drops the requests not yet started and asks the message loop to end after the request under way;
    // true when the thread ended within waitMs.
    bool stop(DWORD waitMs);

private:
    static DWORD WINAPI threadMain(LPVOID self);
    void messageLoop();
    void onGenerate();
    void serve(Request& request);

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_ = nullptr;
    RequestQueue<Request> queue_;
};

}  // namespace tessivar
