// The packed file archives of the browser center.
#include "packed_archives.h"

#include "archive.h"

namespace {

class PackedArchiveFile : public PackedArchive {
public:
    explicit PackedArchiveFile(const std::string& path) : archive_(path.c_str()) {}
    bool openArchive() override { return archive_.openArchive(); }
    bool extractAll(const std::string& targetFolder) override {
        return archive_.extractAll(targetFolder.c_str());
    }

private:
    CPackedArchive archive_;
};

}  // namespace

std::unique_ptr<PackedArchive> PackedArchiveFiles::archive(const std::string& path) {
    return std::make_unique<PackedArchiveFile>(path);
}
