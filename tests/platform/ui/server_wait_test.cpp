// SPDX-License-Identifier: GPL-3.0-or-later
// The window while a server takes its time: it repaints, shows the busy
// cursor and the server in its title, and takes Cancel alone.
#include "platform/net/call_waiter.h"
#include "platform/net/smb_client.h"
#include "platform/net/wire/smb_wire.h"
#include "platform/ui/toolkit.h"
#include "tools/fake_server.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::atomic<bool> g_answer { false };

// A server that answers a listing only when the test lets it.
const net::wire::Calls kSlow = fake_server::calls(
    [](const QByteArray&, std::vector<net::Entry>& out) {
        while (!g_answer)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        out = { { QStringLiteral("a") } };
        return 0;
    },
    [](const QByteArray&, QByteArray&, qint64) { return 0; });

struct Painted : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

TEST(ServerWait, TheWindowRepaintsAndTakesOnlyCancelWhileAServerTakesItsTime)
{
    net::wire::useCalls(&kSlow);
    ui::Form w(QStringLiteral("w"));
    w.setClientTwips(6000, 4500);
    w.setCaption(QStringLiteral("Beschriften"));
    auto* next = new ui::CommandButton(QStringLiteral("CWeiter"), &w);
    auto* cancel = new ui::CommandButton(QStringLiteral("CCancel"), &w);
    cancel->move(0, 100);
    w.setCancelButton(cancel);
    int nexts = 0, cancels = 0;
    next->Click = [&] { ++nexts; };
    cancel->Click = [&] { ++cancels; };
    w.show();
    w.keepAliveWhileServersAnswer();
    Painted painted;
    w.installEventFilter(&painted);
    QString title;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    QTimer::singleShot(30, [&] {
        title = w.windowTitle();
        cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        w.update();
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTimer::singleShot(30, [] { g_answer = true; });
    });
    const QString folder = QStringLiteral("\\\\langsam\\share\\a");
    net::nameServer(folder);
    std::vector<net::Entry> out;
    EXPECT_EQ(net::list(folder, out), 0);
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(title, QStringLiteral("Warte auf \\\\langsam …"));
    EXPECT_EQ(cursor, Qt::BusyCursor);
    EXPECT_GT(painted.count, 0);
    EXPECT_EQ(nexts, 0) << "only Cancel reaches the window";
    EXPECT_EQ(cancels, 2) << "a click and Esc";
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Beschriften"));
    EXPECT_FALSE(QApplication::overrideCursor());
    net::setCallWaiter({});
    net::wire::useCalls(nullptr);
}

} // namespace
