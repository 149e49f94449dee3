#include "CommandLine.h"

#include <QFileInfo>

namespace quillum {

QStringList filesToOpenFromArguments(const QStringList& arguments)
{
    QStringList files;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.isEmpty())
            continue;
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && !QFileInfo::exists(argument))
            continue;
        files << argument;
    }
    return files;
}

} // namespace quillum
