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

// Read, not mapped: the icons past the cut are missing, and no SIGBUS ends
// the program.
TEST(SharedIconFile, CutShortWhileOpenGivesMissingIconsNotASignal)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.dll"));
    ASSERT_TRUE(testing_support::writeFile(path, testing_support::makeIconLibrary(25)));
    icons::IconFile file;
    ASSERT_TRUE(file.open(path));
    ASSERT_EQ(file.count(), 25);
    EXPECT_FALSE(icons::loadIcon(file, 0, icons::kLargeIconSize).isNull());
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 4096), 0);
    int drawn = 0;
    for (int i = 1; i < 25; ++i)
        drawn += icons::loadIcon(file, i, icons::kLargeIconSize).isNull() ? 0 : 1;
    EXPECT_LT(drawn, 24);
}

// A FIFO in the icon folder, selected: no icons, at once.
TEST(SharedIconFile, FifoHoldsNoIconsAndDoesNotBlock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.dll"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    EXPECT_EQ(testing_support::runWithDeadline([&] {
        icons::IconFile file;
        return ExtractIconA(0x400000, path, UINT(-1)) == 0 && !file.open(path);
    }),
        testing_support::ChildResult::Passed);
}

} // namespace
