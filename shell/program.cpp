// The browser center's parts and their application object.
#include "program.h"

LumoraProgram::LumoraProgram(const AppPaths& paths)
    : skins_(paths.installDir, archives_),
      toolkit_(ui::makeToolkit()),
      dialServices_(paths),
      windows_(*toolkit_, skins_, dialServices_),
      signup_(dialServices_),
      dialogFallback_(framework_, dialServices_, signup_, signup_),
      app_(paths, AppServices{framework_, skins_, windows_, statusPages_, ras_, connection_,
                              dialServices_, dialogFallback_, signup_, archives_, signup_,
                              signup_, connection_}) {
    windows_.attach(app_);
    connection_.attach(app_);
    dialogFallback_.attach(app_);
    signup_.attach(app_);
}
