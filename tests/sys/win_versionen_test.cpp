#include "sys/WinVersionen.h"

#include <gtest/gtest.h>

namespace {

TEST(WinVersionen, EveryRowOfTheTable)
{
    struct Case {
        const char* reported; // platform.major.minor, empty: this platform
        const char* expected;
    };
    const Case cases[] = {
        { "", "Unknown" }, // an NT-family 10.0: neither "Me" nor "Nt"
        { "0.3.10", "Windows 16bit mit 32bit-Erweiterung" }, { "1.4.0", "95" }, { "1.4.10", "98" },
        { "1.4.90", "Me" }, { "1.7.90", "Me" }, // the major version is not consulted
        { "1.4.3", "Unknown" }, { "2.4.0", "Nt" }, { "2.5.1", "Nt" }, { "2.5.2", "Nt" },
        { "2.3.51", "Unknown" }, { "2.6.1", "Unknown" }, { "3.4.0", "Unknown" },
        { "not.a.version", "Windows 16bit mit 32bit-Erweiterung" }, // a failed call leaves zeros
    };
    const QByteArray old = qgetenv("QUILLMARK_OSVERSION");
    for (const Case& c : cases) {
        qputenv("QUILLMARK_OSVERSION", c.reported);
        EXPECT_EQ(GetWinVersion().toStdString(), c.expected) << c.reported;
    }
    old.isNull() ? qunsetenv("QUILLMARK_OSVERSION") : qputenv("QUILLMARK_OSVERSION", old);
}

} // namespace
