// Program facts and the services around the window: arguments, the
// executable, pending events, the clock and the end of the program.
#include "platform/app.h"

#include <QCoreApplication>
#include <QTime>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(App, ArgumentsExecutableEventsClockAndEnd)
{
    char prog[] = "/nirgends/quillmark", a1[] = "\"/a b/\"", a2[] = "ä:*";
    char* argv[] = { prog, a1, a2 };
    App::init(3, argv);
    EXPECT_EQ(App::command(), QString("\"/a b/\" ä:*"));
    EXPECT_EQ(App::path(), QCoreApplication::applicationDirPath()) << "the real executable, not argv[0]";
    EXPECT_EQ(App::exeName(), QString("qm_tests_platform_ui"));
    App::setArguments({});

    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    DoEvents();
    EXPECT_TRUE(ran) << "pending events run";

    const double now = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    const double apart = std::fmod(Timer() - now + 86400.0, 86400.0);
    EXPECT_LT(std::min(apart, 86400.0 - apart), 2.0) << "seconds since midnight";
    setTimerSource([] { return 7.5f; });
    EXPECT_EQ(Timer(), 7.5f);
    setTimerSource({});

    int ends = 0;
    setEndHandler([&] { ++ends; });
    EXPECT_FALSE(endRequested());
    EndProgram();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(endRequested());
    setEndHandler({});
    EXPECT_EXIT(EndProgram(), testing::ExitedWithCode(0), "") << "without a handler the process ends at once";
}

} // namespace
