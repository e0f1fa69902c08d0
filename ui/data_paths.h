// Where the program finds its own data files (help, word-problem patterns,
// pictures): a build tree and an installed copy both work.
#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The folders looked in, in order: beside the program, the installed data
// folder (<prefix>/share/hissan, found from the program's own place and from
// the install prefix it was built for), and the source tree's resources/
// folder when the program runs from its build tree.
QStringList dataDirs();

// The first existing file `name` in those folders; empty when none has it.
QString dataFile(const QString& name);

}  // namespace app
