// The engine the folder command and the repair of an interrupted finish use
// against the wizard's own finish: every row of the final-state table,
// walked one after another so that each row starts from what the last one
// left, must give the same bytes and the same attribute bits in both.
#include "tests/wizard/wizard_fixture.h"

#include "store/folder_customisation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace {

class Engine : public WizardTest {
protected:
    static WantedCustomisation wantedBy(const FinalState& row, const QString& icons)
    {
        WantedCustomisation wanted;
        wanted.tooltip = QString::fromUtf8(row.tooltip);
        if (*row.iconFile)
            wanted.icon = IconChoice { icons + '/' + row.iconFile, QString::number(row.cell), row.copyIt };
        return wanted;
    }
    static QByteArray bytesAndBits(const QString& folder)
    {
        QByteArray all;
        for (const char* name : { "", "/Desktop.ini", "/Desktop.ico" })
            all += testutil::readBytes(folder + name) + '|' + QByteArray::number(bits(folder + name)) + '|';
        return all;
    }
};

TEST_F(Engine, GivesTheWizardsBytesAndBitsForEveryRow)
{
    const QString byEngine = tmp.filePath("Zweiter Ordner");
    // From nothing; from a file with a section of Windows' own; on Windows Me.
    const struct {
        QByteArray seed;
        const char* version;
    } passes[] = { { "", "" }, { "[ViewState]\r\nMode=4\r\n", "" }, { "", "1.4.90" } };
    for (const auto& pass : passes) {
        SCOPED_TRACE(pass.seed.toStdString() + pass.version);
        qputenv("QUILLMARK_OSVERSION", pass.version);
        for (const QString& folder : { target, byEngine }) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            if (!pass.seed.isEmpty()) testutil::writeBytes(folder + "/Desktop.ini", pass.seed);
        }
        for (const FinalState& row : kFinalStates) {
            SCOPED_TRACE(row.what);
            customise(tmp.filePath("Mein Ordner"), row);
            EXPECT_EQ(ApplyCustomisation(byEngine, wantedBy(row, icons)), CustomisationRefused::None);
            EXPECT_EQ(bytesAndBits(byEngine), bytesAndBits(target));
        }
    }
    qunsetenv("QUILLMARK_OSVERSION");
    EXPECT_TRUE(
        QDir(tmp.filePath("windows")).entryList({ "*.journal" }, QDir::Files | QDir::Hidden).isEmpty())
        << "the finish removes its journal";
}

// While the finish runs (its pending events let a timer peek), the journal
// holds what the window holds.
TEST_F(Engine, TheFinishRecordsItsChoiceWhileItRuns)
{
    QByteArray recorded;
    QTimer peek;
    QObject::connect(&peek, &QTimer::timeout, [&] {
        const QDir windows(tmp.filePath("windows"));
        for (const QString& name : windows.entryList({ "quillmark-finish-*.journal" }, QDir::Files))
            recorded = testutil::readBytes(windows.filePath(name));
    });
    peek.start(0);
    customise(target, kFinalStates[1]);
    const QJsonObject o = QJsonDocument::fromJson(recorded).object();
    EXPECT_EQ(QStringList({ o["folder"].toString(), o["tooltip"].toString(), o["iconFile"].toString(),
                  o["iconIndex"].toString() }),
        QStringList({ target, "Hallo", icons + "/lib.dll", "3" }))
        << recorded.toStdString();
    EXPECT_TRUE(o["copy"].toBool());
}

} // namespace
