// Letters typed into the file list box: each selects the next entry that
// starts with it, however quickly the keys follow each other.
#include "platform/ui/toolkit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(FileListKeys, EachLetterSelectsTheNextEntryStartingWithIt)
{
    QTemporaryDir dir;
    for (const char* name : { "a.ico", "b.ico", "Bunt.dll", "lib.dll", "x.exe" }) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ui::Form w(QStringLiteral("w"));
    w.setClientTwips(6000, 4500);
    auto* list = new ui::FileListBox(QStringLiteral("f"), &w);
    list->setTwips(0, 0, 3000, 3000);
    list->setPattern(QStringLiteral("*.*"));
    ASSERT_TRUE(list->setPath(dir.path()));
    QStringList clicked;
    list->Click = [&] { clicked << list->fileName(); };
    w.show();
    QApplication::setActiveWindow(&w);
    list->setFocus();

    // Keys in quick succession, as a test sends them; none may be joined
    // into a longer prefix with the one before.
    struct Step {
        char key;
        const char* selected;
    };
    const Step steps[] = {
        { 'b', "b.ico" }, // from no selection: the first match
        { 'b', "Bunt.dll" }, // the next one, without regard to case
        { 'B', "b.ico" }, // wrapping around
        { 'l', "lib.dll" },
        { 'q', "lib.dll" }, // no entry starts with it: nothing changes
        { 'x', "x.exe" },
        { 'x', "x.exe" }, // the only match is the selected entry
        { 'a', "a.ico" },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        QTest::keyClick(list, s.key);
        EXPECT_EQ(list->fileName(), QString::fromLatin1(s.selected));
    }
    EXPECT_EQ(clicked, QStringList({ "b.ico", "Bunt.dll", "b.ico", "lib.dll", "x.exe", "a.ico" }))
        << "each change of the selection runs the click handler once";
}

} // namespace
