// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the registry tests: every test gets its own hive folder, and a
// guard fails any test during which the store writes outside that folder.
#include "platform/registry/registry.h"
#include "tests/support/test_util.h"

namespace hive_test {

// Only the registry folder, what lies in it and the folders leading to it may be written.
inline void expectInsideRegistryDir(const QString& path)
{
    const QString dir = QDir::cleanPath(QFile::decodeName(qgetenv("QUILLMARK_REGISTRY_DIR")));
    const QString p = QDir::cleanPath(path);
    if (dir.isEmpty() || !(p.startsWith(dir + u'/') || p == dir || dir.startsWith(p + u'/')))
        ADD_FAILURE() << "registry store writes outside QUILLMARK_REGISTRY_DIR: " << path.toStdString();
}

// Installed once per test program, so that it watches every test.
class WriteGuard : public ::testing::Environment {
public:
    void SetUp() override { RegistryPlatform::setWriteObserver(expectInsideRegistryDir); }
    void TearDown() override { RegistryPlatform::setWriteObserver({}); }
};

inline ::testing::Environment* const kGuard = ::testing::AddGlobalTestEnvironment(new WriteGuard);

// A private registry folder per test, which must close every key it opens.
class HiveTest : public ::testing::Test {
protected:
    void SetUp() override { m_openAtStart = RegistryPlatform::openKeyCount(); }
    void TearDown() override
    {
        RegistryPlatform::setReadFault(HKEY_CURRENT_USER, 0);
        RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, 0);
        EXPECT_EQ(RegistryPlatform::openKeyCount(), m_openAtStart) << "keys left open";
    }

    static QByteArray hiveText(HKEY root) { return testutil::readBytes(RegistryPlatform::hivePath(root)); }
    static void writeHive(HKEY root, const QByteArray& bytes)
    {
        testutil::writeBytes(RegistryPlatform::hivePath(root), bytes);
    }
    // The status of creating (class "1") or opening a key, which is closed again unless kept.
    static LSTATUS create(HKEY root, const QString& path, DWORD* how = nullptr, HKEY* kept = nullptr)
    {
        HKEY key = 0;
        const LSTATUS s = RegCreateKeyExA(root, path, 0, "1", 0, 0x3F, nullptr, &key, how);
        kept ? void(*kept = key) : void(RegCloseKey(key));
        return s;
    }
    static LSTATUS openStatus(HKEY root, const QString& path, DWORD sam = 0x19)
    {
        HKEY key = 0;
        const LSTATUS s = RegOpenKeyExA(root, path, 0, sam, &key);
        RegCloseKey(key);
        return s;
    }
    static HKEY open(HKEY root, const QString& path, DWORD sam = 0x3F)
    {
        HKEY key = 0;
        EXPECT_EQ(RegOpenKeyExA(root, path, 0, sam, &key), ERROR_SUCCESS) << path.toStdString();
        return key;
    }
    // The value's bytes, or "<missing>".
    static QByteArray query(HKEY key, const QString& name, DWORD* type = nullptr)
    {
        QByteArray data(1024, '\0');
        DWORD size = 1024;
        const LSTATUS s = RegQueryValueExA(key, name, nullptr, type, &data, &size);
        return s == ERROR_SUCCESS ? data.left(size) : QByteArray("<missing>");
    }

private:
    QTemporaryDir m_dir;
    const testutil::EnvGuard m_registry { "QUILLMARK_REGISTRY_DIR", m_dir.path() };
    std::size_t m_openAtStart = 0;
};

} // namespace hive_test
