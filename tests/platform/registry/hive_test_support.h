#pragma once
// Shared by the registry tests: every test gets its own hive folder, and a
// guard fails any test during which the store writes outside that folder.
#include "platform/registry/registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace hive_test {

inline QString registryDir()
{
    return QFile::decodeName(qgetenv("QUILLMARK_REGISTRY_DIR"));
}

// Every path the store creates, writes or renames onto must lie in the
// registry folder the tests set; only that folder itself and the missing
// folders leading to it may be created on the way.
inline void expectInsideRegistryDir(const QString& path)
{
    const QString dir = QDir::cleanPath(registryDir());
    const QString p = QDir::cleanPath(path);
    const bool inside = p.startsWith(dir + u'/') || p == dir || dir.startsWith(p + u'/');
    if (registryDir().isEmpty() || !inside)
        ADD_FAILURE() << "registry store writes outside QUILLMARK_REGISTRY_DIR: " << path.toStdString();
}

// Installed once per test program, so that it watches every test.
class WriteGuard : public ::testing::Environment {
public:
    static void install() { RegistryPlatform::setWriteObserver(expectInsideRegistryDir); }
    void SetUp() override { install(); }
    void TearDown() override { RegistryPlatform::setWriteObserver({}); }
};

inline ::testing::Environment* const kGuard = ::testing::AddGlobalTestEnvironment(new WriteGuard);

// A private registry folder per test; the folder of the test main comes back afterwards.
class HiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = qgetenv("QUILLMARK_REGISTRY_DIR");
        setenv("QUILLMARK_REGISTRY_DIR", QFile::encodeName(m_dir.path()).constData(), 1);
        m_openAtStart = RegistryPlatform::openKeyCount();
    }
    void TearDown() override
    {
        RegistryPlatform::setReadFault(HKEY_CURRENT_USER, 0);
        RegistryPlatform::setReadFault(HKEY_LOCAL_MACHINE, 0);
        RegistryPlatform::setWriteFault(HKEY_CURRENT_USER, 0);
        RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, 0);
        setenv("QUILLMARK_REGISTRY_DIR", m_previous.constData(), 1);
    }

    QString dir() const { return m_dir.path(); }
    std::size_t openKeys() const { return RegistryPlatform::openKeyCount() - m_openAtStart; }

    static QByteArray hiveText(HKEY root)
    {
        QFile f(RegistryPlatform::hivePath(root));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeHive(HKEY root, const QByteArray& bytes)
    {
        QFile f(RegistryPlatform::hivePath(root));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    std::size_t m_openAtStart = 0;
};

} // namespace hive_test
