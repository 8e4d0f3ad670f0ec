// RegistryBeingOpened: a registry read on a thread of its own while the caller goes on.
#pragma once

#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "typelib/registry.h"

namespace tessivar {

// Reading a Wine prefix's registry files takes as long as loading a large type library: a command that
// opens a library file does both at once. Every call waits until the registry is open; one that cannot
// be opened answers as an empty registry, and error() says why.
class RegistryBeingOpened : public Registry {
public:
    // Opens the registry into its argument; the message for the user when that fails.
    using Open = std::function<std::optional<std::string>(std::unique_ptr<Registry>&)>;

    explicit RegistryBeingOpened(Open open)
        // Where no thread can be started, the open runs at the first wait instead.
        : done_(std::async(std::launch::async | std::launch::deferred, [this, open = std::move(open)] { run(open); })
                    .share()) {}
    ~RegistryBeingOpened() override { done_.wait(); }
    RegistryBeingOpened(const RegistryBeingOpened&) = delete;
    RegistryBeingOpened& operator=(const RegistryBeingOpened&) = delete;

    std::optional<std::string> error() const {
        done_.wait();
        return error_;
    }

    RegStatus openKey(RegRoot root, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) override {
        return opened().openKey(root, path, access, out);
    }
    RegStatus createKey(RegRoot root, std::string_view path, std::unique_ptr<RegKey>& out) override {
        return opened().createKey(root, path, out);
    }
    std::string expandEnvironment(std::string_view text) const override { return opened().expandEnvironment(text); }
    std::string localPath(std::string_view registeredPath) const override { return opened().localPath(registeredPath); }

private:
    void run(const Open& open) {
        try {
            error_ = open(registry_);
        } catch (const std::exception& e) {
            registry_.reset();
            error_ = std::string("The registry cannot be read: ") + e.what() + ".";
        }
        if (!registry_) registry_ = std::make_unique<EmptyRegistry>();
    }

    Registry& opened() const {
        done_.wait();
        return *registry_;
    }

    std::unique_ptr<Registry> registry_;
    std::optional<std::string> error_;
    std::shared_future<void> done_;  // last: the thread starts once the rest is made
};

}  // namespace tessivar
