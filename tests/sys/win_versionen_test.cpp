#include "sys/WinVersionen.h"
#include "tests/support/test_util.h"

namespace {

TEST(WinVersionen, EveryRowOfTheTable)
{
    // platform.major.minor as reported (empty: this platform), and the version named.
    const std::pair<const char*, const char*> cases[] = {
        { "", "Unknown" }, // an NT-family 10.0: neither "Me" nor "Nt"
        { "0.3.10", "Windows 16bit mit 32bit-Erweiterung" }, { "1.4.0", "95" }, { "1.4.10", "98" },
        { "1.4.90", "Me" }, { "1.7.90", "Me" }, // the major version is not consulted
        { "1.4.3", "Unknown" }, { "2.4.0", "Nt" }, { "2.5.1", "Nt" }, { "2.5.2", "Nt" },
        { "2.3.51", "Unknown" }, { "2.6.1", "Unknown" }, { "3.4.0", "Unknown" },
        { "not.a.version", "Windows 16bit mit 32bit-Erweiterung" }, // a failed call leaves zeros
    };
    for (const auto& c : cases) {
        const testutil::EnvGuard version("QUILLMARK_OSVERSION", c.first);
        EXPECT_EQ(GetWinVersion().toStdString(), c.second) << c.first;
    }
}

} // namespace
