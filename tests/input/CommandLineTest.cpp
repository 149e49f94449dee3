// Which command-line arguments the window opens as files.

#include "input/CommandLine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace quillum;

TEST(CommandLine, OptionsPathsAndTheEndOfOptions)
{
    QTemporaryDir dir;
    const QString dashed = dir.filePath(QStringLiteral("-dashed.jpg"));
    QFile(dashed).open(QIODevice::WriteOnly);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    struct Row {
        const char* name;
        QStringList arguments, files;
    } rows[] = {
        { "plain paths", { "a.jpg", "/x/b.jpg" }, { "a.jpg", "/x/b.jpg" } },
        { "an unknown option is not a file", { "--verbose", "a.jpg" }, { "a.jpg" } },
        { "an existing file that starts with a dash", { "-dashed.jpg" }, { "-dashed.jpg" } },
        { "after --, everything is a file", { "--", "-missing.jpg", "--" }, { "-missing.jpg", "--" } },
        { "empty arguments are skipped", { "", "a.jpg" }, { "a.jpg" } },
    };
    for (const Row& r : rows)
        EXPECT_EQ(filesToOpenFromArguments(r.arguments), r.files) << r.name;
    QDir::setCurrent(previous);
}
