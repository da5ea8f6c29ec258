// The icon command as a user runs it: its output, its files and its exit
// status, also for a missing file and a bad index.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

Outcome iconsCommand(const QStringList& arguments)
{
    // The test programs live one folder below the command.
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/../quillmark-icons", arguments);
    if (!p.waitForFinished(60000)) return { -1, {}, "did not finish" };
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}

const QString kData = QM_TEST_DATA "/icons/";

TEST(IconsCommand, CountsExtractsAndDumps)
{
    QTemporaryDir out;
    const Outcome count = iconsCommand({ "count", kData + "library64.dll" });
    EXPECT_EQ(count.status, 0) << count.err.toStdString();
    const Outcome extract
        = iconsCommand({ "extract", kData + "library32.dll", "0", "16", out.filePath("s.png") });
    EXPECT_EQ(extract.status, 0) << extract.err.toStdString();
    const QImage image(out.filePath("s.png"));
    EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_TRUE(image.hasAlphaChannel());

    const Outcome dump = iconsCommand({ "dump", kData + "library64.dll", out.filePath("all") });
    EXPECT_EQ(dump.status, 0) << dump.err.toStdString();
    const QStringList written = QDir(out.filePath("all")).entryList({ "*.png" }, QDir::Files, QDir::Name);
    ASSERT_EQ(QString::number(written.size()), count.out.trimmed());
    EXPECT_EQ(written.first(), "000.png");
    EXPECT_EQ(QImage(out.filePath("all/000.png")).size(), QSize(32, 32));
}

TEST(IconsCommand, FailuresSayWhyAndWriteNothing)
{
    QTemporaryDir out;
    const QString png = out.filePath("x.png");
    const QStringList cases[] = { { "extract", kData + "nothere.ico", "0", "32", png },
        { "extract", kData + "red.ico", "5", "32", png }, { "extract", kData + "red.ico", "x", "32", png },
        { "dump", kData + "nothere.dll", out.filePath("d") }, { "paint" } };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Outcome r = iconsCommand(arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_FALSE(r.err.trimmed().isEmpty());
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
}

} // namespace
