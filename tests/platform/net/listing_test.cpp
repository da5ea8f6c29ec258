// SPDX-License-Identifier: GPL-3.0-or-later
// A server's listing through a table of calls of the test's own: bounded in
// entries and name length, and kept only while a walk needs it.
#include "platform/net/smb_client.h"
#include "platform/net/wire/smb_wire.h"
#include "tools/fake_server.h"

#include <gtest/gtest.h>

namespace {

std::vector<net::Entry> g_listing;
int g_lists = 0;

const net::wire::Calls kFake = fake_server::calls(
    [](const QByteArray&, std::vector<net::Entry>& out) {
        ++g_lists;
        out = g_listing;
        return 0;
    },
    [](const QByteArray&, QByteArray&, qint64) { return ENOENT; });

class Listing : public ::testing::Test {
protected:
    void SetUp() override
    {
        net::wire::useCalls(&kFake);
        net::nameServer(folder);
        g_lists = 0;
    }
    void TearDown() override { net::wire::useCalls(nullptr); }
    const QString folder = "\\\\server\\share\\a";
};

TEST_F(Listing, AListingBeyondItsBoundsFailsTheFolder)
{
    const struct {
        std::size_t entries;
        qsizetype nameLength;
        int error;
    } cases[] = {
        { net::kMaxListedEntries, net::kMaxNameLength, 0 },
        { net::kMaxListedEntries + 1, 1, E2BIG },
        { 1, net::kMaxNameLength + 1, ENAMETOOLONG },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        g_listing.assign(c.entries, net::Entry { QString(c.nameLength, u'n') });
        std::vector<net::Entry> out;
        EXPECT_EQ(net::list(folder, out), c.error);
        EXPECT_EQ(out.size(), c.error ? 0 : c.entries);
    }
    EXPECT_EQ(
        net::describeError(folder, E2BIG), "\\\\server\\share: Der Ordner hat mehr als 100000 Einträge.");
    g_listing.clear();
}

// A server the user did not name is never asked, and a kept listing that a
// walk is done with is asked for again.
TEST_F(Listing, OnlyNamedServersAreAskedAndForgottenListingsAgain)
{
    std::vector<net::Entry> out;
    EXPECT_EQ(net::list("\\\\other\\share\\a", out), net::kNotNamed);
    EXPECT_EQ(g_lists, 0);
    const net::ListingScope scope;
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(net::list(folder, out), 0);
    EXPECT_EQ(g_lists, 1) << "kept";
    net::forgetListing(folder);
    ASSERT_EQ(net::list(folder, out), 0);
    EXPECT_EQ(g_lists, 2);
}

} // namespace
