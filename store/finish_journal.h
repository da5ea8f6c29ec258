#pragma once
// The wizard's finish writes several files and bits one after another; a
// crash, a power cut or a kill in between would leave the folder half
// customised. So before its first step the finish records what it means to
// leave in a journal in the Windows directory, holds a lock on it while it
// runs and removes it as its last act. A start that finds a journal nobody
// holds completes that finish.
#include "store/folder_customisation.h"

#include <QString>

class FinishJournal {
public:
    FinishJournal() = default;
    FinishJournal(FinishJournal&& other) noexcept;
    FinishJournal& operator=(FinishJournal&& other) noexcept;
    FinishJournal(const FinishJournal&) = delete;
    FinishJournal& operator=(const FinishJournal&) = delete;
    ~FinishJournal();

    // Records folder and wanted, locked; a journal that cannot be written
    // leaves the finish to go on without one.
    static FinishJournal begin(const QString& folder, const WantedCustomisation& wanted);
    // Replaces what is recorded, in one step.
    void update(const WantedCustomisation& wanted);
    // Removes the journal: the finish is complete.
    void end();

    bool isOpen() const { return fd_ >= 0; }

private:
    bool record(const WantedCustomisation& wanted);

    QString folder_;
    QString path_;
    int fd_ = -1;
};

// Completes, through ApplyCustomisation, every finish whose journal no
// running wizard holds, and removes those journals. Returns how many.
int RepairInterruptedFinishes();
