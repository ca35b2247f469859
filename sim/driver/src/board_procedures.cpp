#include "board_procedures.h"

#include <cstdlib>

#include <pugixml.hpp>

#include "file_util.h"
#include "result_codes.h"
#include "test_documents.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

// Nominal durations of the simulated work, in milliseconds.
constexpr double kFirmwareUpdateMs = 4000.0;
constexpr double kSelfTestMs = 1000.0;
constexpr double kGainCalMs = 800.0;
constexpr double kThreeWireMs = 600.0;
constexpr double kEepromWriteMs = 300.0;
constexpr double kRebaseMs = 1500.0;

// For operations that may start as soon as the board is theirs.
constexpr auto kReady = [] { return rc::ok; };

/// Marks the board busy for the lifetime of the guard.
class BusyGuard {
public:
    explicit BusyGuard(SimBoard& board) : m_board(board), m_taken(board.beginOperation()) {}
    ~BusyGuard()
    {
        if (m_taken)
            m_board.endOperation();
    }
    bool taken() const { return m_taken; }

private:
    SimBoard& m_board;
    bool m_taken;
};

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A firmware file starts with the line "ZFW1 model=<model name> version=<hex version>".
std::int32_t readFirmwareFile(const std::string& path, std::string& model, std::string& version)
{
    std::string content;
    if (!file_util::readFile(path, content, 64u * 1024u * 1024u))
        return rc::firmwareFileError;
    const std::string line = content.substr(0, content.find('\n'));
    const std::size_t m = line.find(" model=");
    const std::size_t v = line.find(" version=");
    if (line.rfind("ZFW1", 0) != 0 || m == std::string::npos || v == std::string::npos || v < m)
        return rc::firmwareFileError;
    model = xml_util::trimmed(line.substr(m + 7, v - m - 7));
    version = xml_util::trimmed(line.substr(v + 9));
    std::uint32_t ignored = 0;
    return xml_util::parseHex32(version, ignored) ? rc::ok : rc::firmwareFileError;
}

std::int32_t resolveFirmware(const std::string& request, const BoardModel& model, std::string& version)
{
    const ProductCatalog& catalog = ProductCatalog::instance();
    const std::string text = xml_util::trimmed(request);
    if (text.empty()) {
        const FirmwareFile* latest = catalog.latestFirmware(model.name);
        if (!latest)
            return rc::firmwareModelNotFound;
        version = latest->version;
        return rc::ok;
    }
    if (const FirmwareFile* file = catalog.firmwareByFileName(baseName(text))) {
        if (file->modelName != model.name)
            return rc::firmwareModelNotFound;
        version = file->version;
        return rc::ok;
    }
    std::uint32_t wanted = 0;
    if (xml_util::parseHex32(text, wanted)) {
        const FirmwareFile* file = catalog.firmwareByVersion(model.name, wanted);
        if (!file)
            return rc::firmwareRevisionNotFound;
        version = file->version;
        return rc::ok;
    }
    if (!file_util::isFile(text))
        return rc::firmwareFileNotFound;
    std::string fileModel;
    if (const std::int32_t result = readFirmwareFile(text, fileModel, version))
        return result;
    return xml_util::equalsNoCase(fileModel, model.name) ? rc::ok : rc::firmwareModelNotFound;
}

double settleMs(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !(value > 0.0))
        return 200.0;
    const std::string unit = xml_util::trimmed(end);
    return unit == "s" ? value * 1000.0 : value;
}

} // namespace

BoardProcedures::BoardProcedures(CommandContext& context, SimBoard& board) : m_context(context), m_board(board) {}

bool BoardProcedures::persist()
{
    if (m_board.persist())
        return true;
    m_context.log.write(DriverLog::Level::Error, "cannot write the state of board " + m_board.serialNumber() +
                                                     " below " + m_context.env.stateDir);
    return false;
}

template <class Ready, class Done>
std::int32_t BoardProcedures::timed(double ms, Ready ready, Done done)
{
    BusyGuard busy(m_board);
    if (!busy.taken())
        return rc::eepromBusy;
    if (const std::int32_t refused = ready())
        return refused;
    if (!m_context.work(ms))
        return rc::boardNotAvailable;
    return done();
}

template <class Done>
std::int32_t BoardProcedures::timedWrite(double ms, std::int32_t failure, Done done)
{
    return timed(ms, kReady, [&] { return m_board.entry().faults.eepromWriteFails ? failure : done(); });
}

std::int32_t BoardProcedures::baseReadable() const
{
    return m_board.base().health == EepromHealth::Good ? rc::ok : rc::eepromReadFailed;
}

std::int32_t BoardProcedures::updateFirmware(const std::string& request)
{
    std::string version;
    return timed(
        kFirmwareUpdateMs, [&] { return resolveFirmware(request, m_board.model(), version); },
        [&] {
            if (m_board.takeFirmwareFailure()) {
                m_context.log.write(DriverLog::Level::Error,
                                    "firmware update of board " + std::to_string(boardId()) + " failed");
                return rc::firmwareUpdateFailed;
            }
            m_board.setFirmware(version);
            return persist() ? rc::ok : rc::firmwareUpdateFailed;
        });
}

std::int32_t BoardProcedures::selfTest(const std::string& kind)
{
    const std::string trimmed = xml_util::trimmed(kind);
    const bool known = trimmed.empty() || trimmed == "factorytest" || trimmed == "excitationtest";
    return timed(
        kSelfTestMs, [&] { return known ? rc::ok : rc::paramInvalid; },
        [&] {
            m_board.results()["HardwareCheck"] = TestDocuments::selfTest(m_board, boardId(), trimmed);
            return rc::ok;
        });
}

std::int32_t BoardProcedures::analogOnly(const char* root, const char* resultKey)
{
    m_board.results()[resultKey] = TestDocuments::verdictOnly(m_board, boardId(), root, "na");
    return rc::functionNotValidForBoard;
}

template <class Report, class Adjust>
std::int32_t BoardProcedures::recalibrate(const char* resultKey, double ms, Report report, Adjust adjust)
{
    if (m_board.model().aiChannels == 0)
        return analogOnly(resultKey, resultKey);
    return timed(
        ms, [this] { return baseReadable(); },
        [&] {
            const std::vector<ChannelCal> before = m_board.baseFacts().selfCal;
            std::vector<ChannelCal> after = before;
            adjust(after);
            if (!EepromDocuments::setSelfCal(m_board.base().document, after, EepromDocuments::today()))
                return rc::eepromReadFailed;
            m_board.refresh();
            m_board.results()[resultKey] = report(m_board, boardId(), before, after);
            return finish();
        });
}

std::int32_t BoardProcedures::autoZero(const std::string& settleTime)
{
    const double ms = settleMs(settleTime) + 20.0 * m_board.model().aiChannels;
    return recalibrate("AmplifierOffset", ms, &TestDocuments::autoZero, [](std::vector<ChannelCal>& cal) {
        // What is left after the compensation: a twentieth of the offset it started from.
        for (ChannelCal& channel : cal)
            channel.offset *= 0.05;
    });
}

std::int32_t BoardProcedures::gainCalibration()
{
    const auto adjust = [this](std::vector<ChannelCal>& cal) {
        const std::vector<ChannelCal>& factory = m_board.baseFacts().factoryCal;
        for (std::size_t ch = 0; ch < cal.size(); ++ch) {
            const double gain = ch < factory.size() ? factory[ch].gain : 1.0;
            const double drift = (xml_util::unitHash(m_board.stateKey() + std::to_string(ch) + "drift") - 0.5) * 0.0002;
            cal[ch].gain = gain * (1.0 + drift);
        }
    };
    return recalibrate("Selfjustage", kGainCalMs, &TestDocuments::gainCalibration, adjust);
}

std::int32_t BoardProcedures::threeWire()
{
    if (m_board.model().aiChannels == 0)
        return analogOnly("ThreeWireInternalLineResistance", "ThreeWireInternalLineResistance");
    return timed(kThreeWireMs, kReady, [&] {
        m_board.results()["ThreeWireInternalLineResistance"] = TestDocuments::threeWire(m_board, boardId());
        return rc::ok;
    });
}

std::int32_t BoardProcedures::resetCalibration()
{
    if (m_board.model().aiChannels == 0)
        return rc::functionNotValidForBoard;
    return timed(
        kEepromWriteMs, [this] { return baseReadable(); },
        [&] {
            const BaseFacts& facts = m_board.baseFacts();
            if (!EepromDocuments::setSelfCal(m_board.base().document, facts.factoryCal, facts.calDate))
                return rc::eepromReadFailed;
            m_board.refresh();
            return finish();
        });
}

std::int32_t BoardProcedures::stageEeprom(bool base, const std::string& document)
{
    pugi::xml_document doc;
    if (!doc.load_string(document.c_str()))
        return rc::xmlParsingFailed;
    const pugi::xml_node root = doc.child(base ? "BaseEEPROM" : "ConEEPROM");
    if (!root.child("BoardInfo"))
        return rc::paramInvalid;
    // A base EEPROM decides what the board is, so it must name a known generation.
    if (base && !ProductCatalog::instance().baseEntry(xml_util::text(root, "BoardInfo/BaseModel"),
                                                      xml_util::text(root, "BoardInfo/BaseVersion")))
        return rc::boardNameUnknown;
    (base ? m_board.base() : m_board.con()).staged = xml_util::print(doc);
    return rc::ok;
}

std::int32_t BoardProcedures::commitEeprom(bool base)
{
    SimBoard::Eeprom& eeprom = base ? m_board.base() : m_board.con();
    if (!eeprom.staged)
        return base ? rc::baseEepromFileNull : rc::conEepromFileNull;
    return timedWrite(kEepromWriteMs, rc::eepromWriteFailed, [&] {
        eeprom.document = *eeprom.staged;
        eeprom.health = EepromHealth::Good;
        eeprom.staged.reset();
        m_board.refresh();
        return finish();
    });
}

std::int32_t BoardProcedures::restoreFromBackup(bool base)
{
    SimBoard::Eeprom& eeprom = base ? m_board.base() : m_board.con();
    const std::int32_t missing = base ? rc::baseEepromFileNull : rc::conEepromFileNull;
    std::string text;
    if (!m_board.backupPresent(eeprom) || !file_util::readFile(eeprom.backupPath, text, 1u << 20))
        return missing;
    if (stageEeprom(base, text) != rc::ok)
        return missing;
    return commitEeprom(base);
}

std::int32_t BoardProcedures::eraseBase()
{
    return timedWrite(kEepromWriteMs, rc::eepromWriteFailed, [&] {
        m_board.base().health = EepromHealth::Blank;
        m_board.base().document.clear();
        m_board.base().staged.reset();
        m_board.refresh();
        return finish();
    });
}

std::int32_t BoardProcedures::stageFeatureSet(const std::string& text)
{
    std::uint32_t features = 0;
    if (!xml_util::parseHex32(text, features))
        return rc::paramInvalid;
    m_board.stagedFeatures() = features;
    return rc::ok;
}

std::int32_t BoardProcedures::commitFeatureSet()
{
    if (!m_board.stagedFeatures())
        return rc::baseEepromFileNull;
    if (const std::int32_t unreadable = baseReadable())
        return unreadable;
    return timedWrite(kEepromWriteMs, rc::eepromWriteFailed, [&] {
        if (!EepromDocuments::setFeatureSet(m_board.base().document, *m_board.stagedFeatures()))
            return rc::eepromReadFailed;
        m_board.stagedFeatures().reset();
        m_board.refresh();
        return finish();
    });
}

std::int32_t BoardProcedures::rebase(const std::string& id)
{
    if (!m_board.isOpen())
        return rc::boardNotOpen;
    const BaseEepromEntry* target = ProductCatalog::instance().baseEntry(id);
    if (!target)
        return rc::baseEepromFileNull;
    // Only boards of one platform share a base board; every board can become a plain base board.
    if (target->model->platform != m_board.model().platform && target->model->family != BoardFamily::Base)
        return rc::functionNotValidForBoard;
    return timedWrite(kRebaseMs, rc::baseEepromWriteError, [&] {
        const BoardModel& model = *target->model;
        m_board.base().document =
            EepromDocuments::defaultBase(model, target->baseVersion, m_board.serialNumber(), model.defaultFeatures);
        m_board.base().health = EepromHealth::Good;
        if (const FirmwareFile* latest = ProductCatalog::instance().latestFirmware(model.name))
            m_board.setFirmware(latest->version);
        m_board.refresh();
        return finish();
    });
}

std::int32_t BoardProcedures::finish()
{
    return persist() ? rc::ok : rc::eepromWriteFailed;
}

} // namespace zmpxi_sim
