// The toolkit of a build without a user interface of its own yet (the Windows build): it does not
// start and makes no windows, so the browser center opens none and says so in its trace.
#include "toolkit.h"

namespace {

class NoToolkit : public ui::Toolkit {
public:
    bool start() override { return false; }
    std::unique_ptr<ui::SkinnedWindow> createWindow(ui::WindowEvents&) override { return nullptr; }
};

}  // namespace

std::unique_ptr<ui::Toolkit> ui::makeToolkit() { return std::make_unique<NoToolkit>(); }
