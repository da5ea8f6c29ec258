// Where the hives live, from the environment.
#include "tests/platform/registry/hive_test_support.h"

namespace {

class SavedEnvironment {
public:
    SavedEnvironment()
    {
        for (const char* name : kNames)
            m_values.append(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    ~SavedEnvironment()
    {
        for (qsizetype i = 0; i < m_values.size(); ++i) {
            if (m_values[i])
                setenv(kNames[i], m_values[i]->constData(), 1);
            else
                unsetenv(kNames[i]);
        }
    }
    static void set(const char* name, const char* value)
    {
        if (*value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

private:
    static constexpr const char* kNames[] = { "QUILLMARK_REGISTRY_DIR", "XDG_CONFIG_HOME", "HOME" };
    QList<std::optional<QByteArray>> m_values;
};

TEST(HiveLocation, FollowsTheEnvironment)
{
    struct Case {
        const char* registryDir;
        const char* configHome;
        const char* home;
        HKEY root;
        const char* expected;
    };
    const Case cases[] = {
        { "/r", "/x", "/h", HKEY_CURRENT_USER, "/r/HKEY_CURRENT_USER.reg" },
        { "/r/", "/x", "/h", HKEY_LOCAL_MACHINE, "/r/HKEY_LOCAL_MACHINE.reg" },
        { "", "/x", "/h", HKEY_CURRENT_USER, "/x/quillmark/HKEY_CURRENT_USER.reg" },
        { "", "", "/h", HKEY_CURRENT_USER, "/h/.config/quillmark/HKEY_CURRENT_USER.reg" },
        { "", "relative", "/h", HKEY_CURRENT_USER, "/h/.config/quillmark/HKEY_CURRENT_USER.reg" },
        { "", "/x", "/h", HKEY_LOCAL_MACHINE, "/etc/quillmark/HKEY_LOCAL_MACHINE.reg" },
        { "/r", "/x", "/h", HKEY_USERS, "" },
        { "/r", "/x", "/h", HKEY_CLASSES_ROOT, "" },
    };
    const SavedEnvironment saved;
    for (const Case& c : cases) {
        SavedEnvironment::set("QUILLMARK_REGISTRY_DIR", c.registryDir);
        SavedEnvironment::set("XDG_CONFIG_HOME", c.configHome);
        SavedEnvironment::set("HOME", c.home);
        EXPECT_EQ(RegistryPlatform::hivePath(c.root), QString::fromUtf8(c.expected))
            << c.registryDir << " " << c.configHome << " " << c.home;
    }
}

} // namespace
