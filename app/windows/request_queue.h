// RequestQueue: the requests a front end makes on its own thread, waiting for the one worker thread that
// serves them one at a time, oldest first.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace tessivar {

// A request is handed over whole: whatever the worker needs of the front end's state is copied into it
// when it is made, so the front end may change that state while the request waits or runs.
template <typename Request>
class RequestQueue {
public:
    // On the front end's thread. False once the queue is closed: the request is not taken.
    bool push(Request request) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return false;
        waiting_.push_back(std::move(request));
        return true;
    }

    // On the worker: the oldest waiting request, or nothing when none waits.
    std::optional<Request> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (waiting_.empty()) return std::nullopt;
        std::optional<Request> request(std::move(waiting_.front()));
        waiting_.pop_front();
        return request;
    }

    // On the worker: serves the waiting requests one at a time, oldest first, those made meanwhile
    // included, until none waits. Returns how many it served.
    template <typename Serve>
    std::size_t serveWaiting(Serve&& serve) {
        std::size_t served = 0;
        while (std::optional<Request> request = take()) {
            serve(*request);
            ++served;
        }
        return served;
    }

    // The requests not yet taken.
    std::size_t waiting() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return waiting_.size();
    }

    // Refuses later requests and drops the waiting ones; a request already taken is not affected.
    // Returns how many were dropped.
    std::size_t close() {
        std::deque<Request> dropped;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            dropped.swap(waiting_);
        }
        return dropped.size();  // destroyed here, outside the lock
    }

private:
    mutable std::mutex mutex_;
    std::deque<Request> waiting_;
    bool closed_ = false;
};

}  // namespace tessivar
