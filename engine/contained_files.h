// A file system that keeps a class run's writes inside its destination.
#pragma once

#include <set>
#include <string>

#include "engine/file_system.h"

namespace tessivar {

// Files and folders below the destination are written only where the folder they go into, every
// symbolic link followed, still lies inside the destination: a link planted inside the destination
// (to a system folder, say) is refused, never written through. A link to a folder inside the
// destination, and the destination itself being a link, are fine. Each folder is asked about once.
class ContainedFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    // Paths below `root` are checked from here on; "" checks none.
    void setRoot(const std::string& root);

    bool makeFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string lastFailure() override;

private:
    // Whether something may be made in `folder`.
    bool allowed(const std::string& folder);

    std::string root_;
    std::set<std::string> allowed_;
    bool refused_ = false;  // the last makeFolder or openForWriting was refused here
};

}  // namespace tessivar
