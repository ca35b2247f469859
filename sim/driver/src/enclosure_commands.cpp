#include "enclosure_commands.h"

#include "enclosure_documents.h"
#include "result_codes.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

constexpr double kStoreMs = 300.0;
constexpr std::size_t kMaxUserData = 256;

} // namespace

EnclosureCommands::EnclosureCommands(CommandContext& context, SimEnclosure& enclosure)
    : m_context(context), m_enclosure(enclosure)
{
}

std::int32_t EnclosureCommands::get(const std::string& suffix, const std::string& item, std::string& answer)
{
    if (const LiteralDocument* literal = m_enclosure.literal(suffix, item)) {
        answer = literal->text;
        return rc::ok;
    }
    if (!suffix.empty())
        return rc::commandInvalid;
    if (item == "key") {
        answer = EnclosureDocuments::key(m_enclosure);
        return rc::ok;
    }
    if (item == "enclosureproperties") {
        const int count = m_context.system ? m_context.system->boardCountIn(m_enclosure.index()) : 0;
        answer = EnclosureDocuments::properties(m_enclosure, m_enclosure.index(), count);
        return rc::ok;
    }
    const EnclosureState& data = m_enclosure.data();
    if (item == "EncType" || item == "EncVersion" || item == "EncName") {
        answer = item == "EncType" ? data.encType : item == "EncVersion" ? data.encVersion : data.encName;
        return rc::ok;
    }
    return rc::commandInvalid;
}

std::int32_t EnclosureCommands::set(const std::string& suffix, const std::string& item, const std::string& value)
{
    if (!m_enclosure.model().writable)
        return rc::notSupportedFunction;
    if (suffix.empty())
        return setData(item, value);
    if (xml_util::equalsNoCase(suffix, "Options"))
        return setOption(item, value);
    if (xml_util::equalsNoCase(suffix, "EncProperties"))
        return setProperty(item, value);
    return rc::commandInvalid;
}

std::int32_t EnclosureCommands::setData(const std::string& item, const std::string& value)
{
    EnclosureState& data = m_enclosure.data();
    if (item == "EncType" || item == "EncVersion") {
        std::int32_t number = 0;
        if (!xml_util::parseInt32(value, number))
            return rc::paramInvalid;
        (item == "EncType" ? data.encType : data.encVersion) = std::to_string(number);
        return rc::ok;
    }
    if (item == "EncName") {
        std::uint32_t code = 0;
        if (!xml_util::parseHex32(value, code))
            return rc::paramInvalid;
        data.encName = xml_util::hex8(code);
        return rc::ok;
    }
    if (item == "RegenXML")
        return rc::ok; // descriptions are always made from the current data
    if (item == "StoreData") {
        if (!m_context.work(kStoreMs))
            return rc::boardNotAvailable;
        if (m_enclosure.entry().dataWriteFails)
            return rc::e2promI2cError;
        if (!m_enclosure.persist()) {
            m_context.log.write(DriverLog::Level::Error, "cannot write enclosure data below " + m_context.env.stateDir);
            return rc::e2promI2cError;
        }
        return rc::ok;
    }
    return rc::commandInvalid;
}

std::int32_t EnclosureCommands::setOption(const std::string& item, const std::string& value)
{
    if (item == "Clear") {
        m_enclosure.clearOptions();
        return rc::ok;
    }
    std::int32_t number = 0;
    const std::string text = xml_util::trimmed(value);
    if (!text.empty() && !xml_util::parseInt32(text, number))
        return rc::paramInvalid;
    return m_enclosure.setOption(item, text) ? rc::ok : rc::paramInvalid;
}

std::int32_t EnclosureCommands::setProperty(const std::string& item, const std::string& value)
{
    const std::string text = xml_util::trimmed(value);
    if (item == "EnclosureInfo/SerialNumber") {
        if (text.empty() || text.size() > 32)
            return rc::paramInvalid;
        m_enclosure.data().serialNumber = text;
        return rc::ok;
    }
    if (item == "EnclosureInfo/UserData") {
        if (text.size() > kMaxUserData)
            return rc::paramInvalid;
        m_enclosure.data().userData = text;
        return rc::ok;
    }
    return rc::commandInvalid;
}

} // namespace zmpxi_sim
