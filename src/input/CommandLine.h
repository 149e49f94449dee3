#pragma once
// The files named on the window's command line (Qt has already taken its own options out).

#include <QStringList>

namespace quillum {

// Paths to open, in order. "--" ends the options: every later argument is a path, so a file
// named "-x.jpg" can be given. Before it, an argument starting with "-" is an option unless
// it names an existing file or folder.
QStringList filesToOpenFromArguments(const QStringList& arguments);

} // namespace quillum
