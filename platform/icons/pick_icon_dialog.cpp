// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/pick_icon_dialog.h"

#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

IconFileChooser g_chooser;
std::function<int(HWND, QString&, UINT, int*)> g_handler;
std::function<int(PickIconDialog&)> g_runner;

QString realChooser(QWidget* parent, const QString& current)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Durchsuchen"), current,
        QStringLiteral("Symboldateien (*.ico *.exe *.dll);;Programme (*.exe);;Bibliotheken (*.dll);;"
                       "Symbole (*.ico);;Alle Dateien (*)"));
}

} // namespace

PickIconDialog::PickIconDialog(QWidget* owner)
    : QDialog(owner)
    , fileEdit_(new QLineEdit(this))
    , browse_(new QPushButton(QStringLiteral("Durchsuchen..."), this))
    , list_(new QListWidget(this))
    , ok_(new QPushButton(QStringLiteral("OK"), this))
    , cancel_(new QPushButton(QStringLiteral("Abbrechen"), this))
{
    setWindowTitle(QStringLiteral("Anderes Symbol"));
    setModal(true);

    list_->setViewMode(QListView::IconMode);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setUniformItemSizes(true);
    list_->setIconSize(QSize(icons::kLargeIconSize, icons::kLargeIconSize));
    list_->setGridSize(QSize(icons::kLargeIconSize + 12, icons::kLargeIconSize + 12));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setMinimumSize(360, 4 * (icons::kLargeIconSize + 12) + 24);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(browse_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Nach Symbolen in dieser Datei suchen:"), this));
    layout->addLayout(fileRow);
    layout->addWidget(new QLabel(QStringLiteral("Wählen Sie ein Symbol aus der folgenden Liste aus:"), this));
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    ok_->setDefault(true);
    browse_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    fileEdit_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, &PickIconDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &PickIconDialog::reject);
    connect(browse_, &QPushButton::clicked, this, &PickIconDialog::browse);
    connect(list_, &QListWidget::itemSelectionChanged, this, &PickIconDialog::updateOk);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (!item) return;
        list_->setCurrentItem(item);
        accept();
    });
    updateOk();
}

void PickIconDialog::setFile(const QString& file)
{
    fileEdit_->setText(file);
    reload();
}

void PickIconDialog::setIndex(int index)
{
    if (list_->count() == 0) return;
    list_->setCurrentRow(index >= 0 && index < list_->count() ? index : 0);
    list_->scrollToItem(list_->currentItem());
}

int PickIconDialog::index() const
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void PickIconDialog::reload()
{
    loaded_ = fileEdit_->text();
    list_->clear();
    icons::IconFile file;
    if (file.open(loaded_)) {
        const int count = file.count();
        const int pixels = qRound(icons::kLargeIconSize * devicePixelRatioF());
        for (int i = 0; i < count; ++i) {
            // An icon that cannot be drawn keeps its place, so rows stay indexes.
            // The entry that fits the screen, in its pixels: the icon engine takes
            // pixmaps by pixel size and draws them at the list's icon size.
            const QImage image = icons::loadIcon(file, i, pixels);
            auto* item = new QListWidgetItem(list_);
            if (!image.isNull()) item->setIcon(QIcon(QPixmap::fromImage(image)));
        }
    }
    setIndex(0);
    updateOk();
}

void PickIconDialog::accept()
{
    if (fileEdit_->text() != loaded_) {
        reload();
        return;
    }
    if (index() < 0) return;
    QDialog::accept();
}

bool PickIconDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fileEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            reload();
            return true; // the dialog must not see it as OK
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PickIconDialog::browse()
{
    const QString chosen
        = g_chooser ? g_chooser(this, fileEdit_->text()) : realChooser(this, fileEdit_->text());
    if (chosen.isEmpty()) return;
    setFile(chosen);
}

void PickIconDialog::updateOk()
{
    ok_->setEnabled(index() >= 0);
}

void setIconFileChooser(IconFileChooser chooser)
{
    g_chooser = std::move(chooser);
}

void setPickIconDlgHandler(std::function<int(HWND, QString&, UINT, int*)> handler)
{
    g_handler = std::move(handler);
}

void setPickIconDialogRunner(std::function<int(PickIconDialog&)> runner)
{
    g_runner = std::move(runner);
}

int PickIconDlg(HWND owner, QString& path, UINT capacity, int* index)
{
    if (g_handler) return g_handler(owner, path, capacity, index);
    if (!index || capacity == 0) return 0;
    QString start = path.left(static_cast<qsizetype>(std::min<UINT>(capacity, INT32_MAX)));
    const qsizetype nul = start.indexOf(QChar(0));
    if (nul >= 0) start.truncate(nul);

    PickIconDialog dialog(owner);
    dialog.setFile(start);
    dialog.setIndex(*index);
    const int result = g_runner ? g_runner(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return 0;
    const QString head = dialog.file().left(static_cast<qsizetype>(capacity - 1)) + QChar(0);
    if (path.size() < head.size()) path.resize(head.size());
    path.replace(0, head.size(), head);
    *index = dialog.index();
    return 1;
}
