#pragma once
// Every change of an EEPROM takes the same course: snapshot of both EEPROM documents, the
// write, a read-back of what the board now reports, and one journal line that says what
// happened. A snapshot that fails stops the change before anything is sent.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/eeprom_which.h"

#include <cstdint>
#include <functional>
#include <string>

namespace z2e {

class MaintenanceJournal;

/// What the write of one change did.
struct EepromWriteStep {
    std::int32_t status = 0;
    /// The document reached the driver but was not committed (e.g. the node went away).
    bool staged = false;
    /// The document written; empty when the board writes content of its own.
    std::string sent;
};

class JournalledEepromWrite {
public:
    /// What the read-back expects once the write succeeded.
    enum class ReadBack {
        Document, ///< the document sent
        Readable, ///< any readable document (the driver's own backup was written)
        Blank,    ///< no readable document (erased)
    };

    /// `journal` may be null: then nothing is snapshotted or journalled, but still read back.
    JournalledEepromWrite(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// Runs `write` on `board` between the snapshot and the read-back of `which`; returns the
    /// write's status, 4009 when the snapshot failed (nothing sent), or 4102 when the journal
    /// line could not be written.
    std::int32_t run(std::uint32_t board, const std::string& operation, const std::string& parameters,
                     EepromWhich which, ReadBack readBack, const std::function<EepromWriteStep()>& write);

    /// The read-back's verdict of the last run ("verified", the first difference, "not
    /// committed", ...); empty when nothing was written.
    const std::string& verification() const { return m_verification; }
    /// Why the last run stopped early, when it did.
    const std::string& message() const { return m_message; }

private:
    std::string readBack(std::uint32_t board, EepromWhich which, ReadBack expected, const std::string& sent);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    std::string m_verification;
    std::string m_message;
};

} // namespace z2e
