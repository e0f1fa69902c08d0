// Loading the speech module (the synthesiser, the sound output and the kanji
// dictionary, opened only when reading aloud is wanted) from beside the
// program, as in a build tree, else from the module folder of the prefix it
// is installed under.
#pragma once

#include <QLibrary>
#include <string>

namespace ui {

// The function `symbol` of the module file `file`, or null with the reason
// in `why`. The module once loaded stays loaded until the process ends.
QFunctionPointer speechModuleFunction(const char* file, const char* symbol, std::string& why);

}  // namespace ui
