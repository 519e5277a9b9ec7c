// The packed file archives of the browser center (configuration and skin archives), read with
// the common archive reader.
#pragma once

#include "signup_seam.h"

class PackedArchiveFiles : public ArchiveReader {
public:
    std::unique_ptr<PackedArchive> archive(const std::string& path) override;
};
