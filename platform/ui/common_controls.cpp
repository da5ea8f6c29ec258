// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/toolkit.h"

#include "platform/ui/accessibility.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QPalette>
#include <QStyleFactory>
#include <QTranslator>

namespace ui {

namespace {
bool g_initialised = false;

void addFontFiles()
{
    // Only the regular face: Wine's bold Tahoma does not render through Qt,
    // while a bold drawn from the regular face looks right.
    const QString tahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(tahoma)) QFontDatabase::addApplicationFont(tahoma);
    // Verdana is rarely installed on Linux; DejaVu Sans has its wide shapes.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"));
}
// Qt's own dialogs and menus (the folder chooser, a text box's context menu)
// speak German like the rest of the program.
void loadQtTranslations()
{
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
} // namespace

void InitCommonControls()
{
    if (g_initialised) return;
    g_initialised = true;
    loadQtTranslations();
    InstallAccessibility();
    addFontFiles();
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(style);
    // The classic Windows colours: button face, shadows, window and text.
    QPalette p;
    p.setColor(QPalette::Window, QColor(0xD4, 0xD0, 0xC8));
    p.setColor(QPalette::Button, QColor(0xD4, 0xD0, 0xC8));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(0xD4, 0xD0, 0xC8));
    p.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Mid, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Shadow, QColor(0x40, 0x40, 0x40));
    p.setColor(QPalette::Highlight, QColor(0x0A, 0x24, 0x6A));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    QApplication::setPalette(p);
}

} // namespace ui
