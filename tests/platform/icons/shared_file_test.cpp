// Icon files on a share: another machine may cut a file short while we read
// it, and a FIFO may stand where an icon file should be.
#include "platform/icons/icon_api.h"
#include "platform/icons/icon_choice.h"
#include "tests/support/deadline.h"
#include "tests/support/icon_fixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Read, not mapped: icons past the cut are missing, and no SIGBUS ends the
// program. A FIFO holds no icons, at once.
TEST(SharedIconFile, CutShortOrFifoGivesNoIconsAndNoSignal)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.dll"));
    ASSERT_TRUE(testing_support::writeFile(path, testing_support::makeIconLibrary(25)));
    icons::IconFile file;
    ASSERT_TRUE(file.open(path));
    ASSERT_EQ(file.count(), 25);
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 4096), 0);
    int drawn = 0;
    for (int i = 0; i < 25; ++i)
        drawn += icons::loadIcon(file, i, icons::kLargeIconSize).isNull() ? 0 : 1;
    EXPECT_LT(drawn, 25);

    const QString fifo = dir.filePath(QStringLiteral("x.dll"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_TRUE(testing_support::passesWithin([&] {
        icons::IconFile f;
        return ExtractIconA(0x400000, fifo, UINT(-1)) == 0 && !f.open(fifo);
    }));
}

} // namespace
