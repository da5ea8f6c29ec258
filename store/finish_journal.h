// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wizard's finish writes several files and bits one after another; a
// crash, a power cut or a kill in between would leave the folder half
// customised. So before its first step the finish records what it means to
// leave in a journal in the Windows directory, holds a lock on it while it
// runs and removes it as its last act. A start that finds a journal nobody
// holds completes that finish, but only where nothing else has changed the
// folder since: the journal names the folder by its identity and lists
// every state the finish's own steps can leave it in.
//
// The icon page unhides an icon copy it restores; a journal of its own
// gives the copy its hidden bits back when the run ends without a finish.
#include "store/folder_customisation.h"

#include <QString>

namespace journal {
// One name for every build of the wizard, so that any start finds the
// journal of any finish.
inline const QString kJournalPrefix = QStringLiteral("quillmark-finish-");
// The icon page's record of an icon copy it unhid: a name of its own, so
// that nothing waiting for a finish's journal takes it for one.
inline const QString kPageJournalPrefix = QStringLiteral("quillmark-page-");
// A journal is a few kilobytes; anything larger is not ours.
inline constexpr qint64 kMaxJournalSize = 64 * 1024;
} // namespace journal

class FinishJournal {
public:
    FinishJournal() = default;
    FinishJournal(FinishJournal&& other) noexcept;
    FinishJournal& operator=(FinishJournal&& other) noexcept;
    FinishJournal(const FinishJournal&) = delete;
    FinishJournal& operator=(const FinishJournal&) = delete;
    ~FinishJournal();

    // Records the plan and what it was made for, locked; a journal that
    // cannot be written leaves the finish to go on without one.
    static FinishJournal begin(const CustomisationPlan& plan, const WantedCustomisation& wanted);
    // Records that folder's icon copy was unhidden and must be hidden again.
    static FinishJournal unhidden(const QString& folder);
    // Removes the journal: the finish is complete.
    void end();

    bool isOpen() const { return fd_ >= 0; }

private:
    bool record(const QByteArray& json, const QString& prefix);

    QString path_;
    int fd_ = -1;
};

// Completes every finish whose journal no running wizard holds and removes
// those journals. Only journals this user wrote, in a Windows directory only
// this user can write, are read. Returns how many were completed.
int RepairInterruptedFinishes();

// The same in a process of its own, given at most ms milliseconds: a folder
// on a mount that does not answer must not keep the window from showing.
// What is not done by then is left for the next start.
void RepairInterruptedFinishesWithin(int ms);
